#include "SetupChoice.h"

SetupChoice ChooseSetup(const wchar_t* installed, const wchar_t* carried, SetupUi ui)
{
    if (!installed)
        return {INSTALL_PACKAGE, ui == FULL_UI      ? SHOWS_PACKAGE_DIALOGS
                                 : ui == PASSIVE_UI ? SHOWS_PROGRESS
                                                    : SHOWS_NOTHING};
    const int order = CompareVersions(installed, carried);
    if (order == -1)
        return {UPDATE_INSTALLED, ui == FULL_UI      ? SHOWS_QUESTION_THEN_PROGRESS
                                  : ui == PASSIVE_UI ? SHOWS_PROGRESS
                                                     : SHOWS_NOTHING};
    if (order == 0)
        return ui == FULL_UI ? SetupChoice{OPEN_MAINTENANCE, SHOWS_PACKAGE_DIALOGS}
                             : SetupChoice{LEAVE_AS_IS, SHOWS_NOTHING};
    // A message is no question, but it would stop an unattended /passive run.
    return {REFUSE_DOWNGRADE, ui == FULL_UI ? SHOWS_MESSAGE : SHOWS_NOTHING};
}

// The numbers of a version, missing ones 0; false when it is none.
static bool ReadVersion(const wchar_t* text, long parts[4])
{
    if (!text)
        return false;
    int count = 0;
    for (;;)
    {
        if (count == 4 || *text < L'0' || *text > L'9')
            return false;
        long number = 0;
        while (*text >= L'0' && *text <= L'9' && number <= 65535)
            number = number * 10 + (*text++ - L'0');
        if (number > 65535)
            return false;
        parts[count++] = number;
        if (*text == L'\0')
            break;
        if (*text++ != L'.')
            return false;
    }
    while (count < 4)
        parts[count++] = 0;
    return true;
}

int CompareVersions(const wchar_t* a, const wchar_t* b)
{
    long first[4];
    long second[4];
    if (!ReadVersion(a, first) || !ReadVersion(b, second))
        return -2;
    for (int i = 0; i < 4; i++)
    {
        if (first[i] != second[i])
            return first[i] < second[i] ? -1 : 1;
    }
    return 0;
}

// The next word of a command line into word (size characters), as Windows
// splits one: at spaces and tabs, a double quote starting or ending a part
// that may hold them. Null at the end of the line; fits is false when the
// word was cut.
static const wchar_t* NextWord(const wchar_t* line, wchar_t* word, std::size_t size, bool* quoted,
                               bool* fits)
{
    while (*line == L' ' || *line == L'\t')
        line++;
    if (!*line)
        return nullptr;
    *quoted = *line == L'"';
    *fits = true;
    std::size_t n = 0;
    bool inQuotes = false;
    for (; *line && (inQuotes || (*line != L' ' && *line != L'\t')); line++)
    {
        if (*line == L'"')
            inQuotes = !inQuotes;
        else if (n + 1 < size)
            word[n++] = *line;
        else
            *fits = false;
    }
    word[n] = L'\0';
    return line;
}

// A switch, with '/' or '-', its letters in any case.
static bool IsSwitch(const wchar_t* word, const wchar_t* name)
{
    if (*word != L'/' && *word != L'-')
        return false;
    for (word++; *word && *name; word++, name++)
    {
        const wchar_t c = *word >= L'A' && *word <= L'Z' ? *word - L'A' + L'a' : *word;
        if (c != *name)
            return false;
    }
    return *word == *name;
}

bool ReadSwitches(const wchar_t* line, SetupSwitches* switches)
{
    *switches = {};
    bool quoted = false;
    bool fits = true;
    // Past a word it does not know, which wrong keeps, the rest is read into
    // log, and only /quiet still counts.
    wchar_t* word = switches->wrong;
    line = NextWord(line, word, SWITCH_WORD_SIZE, &quoted, &fits); // the program's name
    while (line && (line = NextWord(line, word, SWITCH_WORD_SIZE, &quoted, &fits)))
    {
        const bool plain = !quoted && fits;
        if (plain && IsSwitch(word, L"quiet"))
            switches->ui = QUIET_UI;
        else if (word != switches->wrong)
            continue;
        else if (plain && IsSwitch(word, L"passive"))
            switches->ui = switches->ui == QUIET_UI ? QUIET_UI : PASSIVE_UI;
        else if (plain && IsSwitch(word, L"norestart"))
            switches->noRestart = true;
        else if (plain && IsSwitch(word, L"?"))
            switches->help = true;
        else if (plain && IsSwitch(word, L"log") &&
                 (line = NextWord(line, switches->log, SWITCH_WORD_SIZE, &quoted, &fits)) && fits &&
                 switches->log[0])
            continue;
        else
            word = switches->log;
    }
    if (word != switches->wrong)
    {
        switches->log[0] = L'\0';
        return false;
    }
    switches->wrong[0] = L'\0';
    return true;
}

// Steps beyond this are taken as this many: the bar is no finer anyway.
constexpr long long MOST_STEPS = 1000000000000LL;

// The numbers after "1:" to "4:" of a progress record, 0 where one is
// missing; false without the first, which says what the record is.
static bool ReadFields(const wchar_t* record, long long fields[4])
{
    bool typed = false;
    for (int i = 0; i < 4; i++)
        fields[i] = 0;
    while (record && *record)
    {
        if (*record < L'1' || *record > L'4' || record[1] != L':')
        {
            record++;
            continue;
        }
        const int i = *record - L'1';
        typed = typed || i == 0;
        record += 2;
        while (*record == L' ')
            record++;
        const bool negative = *record == L'-';
        if (negative)
            record++;
        long long number = 0;
        for (; *record >= L'0' && *record <= L'9'; record++)
            number = number < MOST_STEPS ? number * 10 + (*record - L'0') : MOST_STEPS;
        fields[i] = negative ? -number : number;
    }
    return typed;
}

// The bar moves forward or backward, never past either end.
static void Move(InstallProgress* progress, long long steps)
{
    progress->done += progress->backward ? -steps : steps;
    if (progress->done < 0)
        progress->done = 0;
    if (progress->done > progress->total)
        progress->done = progress->total;
}

void TakeProgressRecord(InstallProgress* progress, const wchar_t* record)
{
    long long fields[4];
    if (!ReadFields(record, fields))
        return;
    switch (fields[0])
    {
    case 0: // a reset: the steps to come, and which way the bar moves
        progress->total = fields[1] > 0 ? fields[1] : 0;
        progress->backward = fields[2] == 1;
        progress->done = progress->backward ? progress->total : 0;
        progress->stepPerAction = false;
        break;
    case 1: // whether each action data message moves the bar, and by how much
        progress->stepPerAction = fields[2] == 1;
        progress->step = fields[1];
        break;
    case 2:
        Move(progress, fields[1]);
        break;
    case 3: // more steps to come
        if (fields[1] > 0)
            progress->total =
                progress->total + fields[1] < MOST_STEPS ? progress->total + fields[1] : MOST_STEPS;
        break;
    }
}

void TakeActionData(InstallProgress* progress)
{
    if (progress->stepPerAction)
        Move(progress, progress->step);
}

int ProgressShown(const InstallProgress& progress)
{
    if (progress.total <= 0)
        return 0;
    return static_cast<int>(progress.done * PROGRESS_SCALE / progress.total);
}
