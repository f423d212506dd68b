// A program that calls through a null function pointer, the way a call
// through an import slot the loader never filled does, with nothing to catch
// the fault. Run under Wine as every test program is, it must end at once
// with a failing status and Wine's fault line in its output, instead of
// waiting in a debugger.
using Function = void (*)();

int main()
{
    volatile Function nowhere = nullptr;
    nowhere();
    return 0;
}
