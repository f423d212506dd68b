// The pictures as the program gets them: the row icons loaded from the files
// the build puts beside it, at the size the row buttons ask for, and the
// program's icon from its resource.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{

const int APP_ICON = 106;

// The file beside this program; the row icons are looked for there.
void BesideProgram(const char* name, char* path, size_t size)
{
    DWORD length = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(size));
    while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/')
        length--;
    lstrcpynA(path + length, name, static_cast<int>(size - length));
}

// Whether the .ico file holds an image drawn at width x height, rather than
// one the system would have to stretch.
bool FileHoldsImage(const char* path, int width, int height)
{
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BYTE data[6 + 16 * 8] = {};
    DWORD read = 0;
    ReadFile(file, data, sizeof data, &read, nullptr);
    CloseHandle(file);
    int count = data[4] | data[5] << 8;
    for (int i = 0; i < count && 6 + 16 * (i + 1) <= static_cast<int>(read); i++)
    {
        const BYTE* entry = data + 6 + 16 * i;
        if (entry[0] == width && entry[1] == height && entry[6] == 32)
            return true;
    }
    return false;
}

DWORD BigEndian(const BYTE* bytes)
{
    return static_cast<DWORD>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
}

// Draws the icon on white and counts the pixels it changed.
int PaintedPixels(HICON icon, int width, int height)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, target);
    std::memset(bits, 0xFF, static_cast<size_t>(width) * height * 4);
    DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    GdiFlush();
    int painted = 0;
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; i++)
        if ((pixels[i] & 0xFFFFFF) != 0xFFFFFF)
            painted++;
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    return painted;
}

// 11 x 12 at 100 %, and the sizes the program asks for at 125, 150 and
// 200 %: each drawn for its size, not stretched from another.
TEST(RowIcons, LoadFromBesideTheProgramAtEachButtonSize)
{
    const SIZE sizes[] = {{11, 12}, {14, 15}, {17, 18}, {22, 24}};
    for (const char* name : {"edit.ico", "delete.ico"})
    {
        for (const SIZE& size : sizes)
        {
            const int width = size.cx;
            const int height = size.cy;
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(width) + " x " +
                         std::to_string(height));
            char path[MAX_PATH];
            BesideProgram(name, path, sizeof path);
            EXPECT_TRUE(FileHoldsImage(path, width, height)) << "drawn for the size";

            HICON icon = static_cast<HICON>(
                LoadImageA(nullptr, path, IMAGE_ICON, width, height, LR_LOADFROMFILE));
            ASSERT_NE(icon, nullptr);
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP bitmap = {};
            GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
            EXPECT_EQ(bitmap.bmWidth, width);
            EXPECT_EQ(bitmap.bmHeight, info.hbmColor ? height : 2 * height);

            // A picture with a transparent surround: some pixels, not all.
            int painted = PaintedPixels(icon, width, height);
            EXPECT_GT(painted, width * height / 5);
            EXPECT_LT(painted, width * height * 4 / 5);

            if (info.hbmColor)
                DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST(AppIcon, HoldsEachSizeDrawnWithAlpha)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(APP_ICON), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr) << "icon group 106";
    BYTE* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(directory, nullptr);

    for (int size : {48, 32, 16})
    {
        SCOPED_TRACE(size);
        int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
        HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(id), RT_ICON);
        ASSERT_NE(image, nullptr);
        BYTE* bytes = static_cast<BYTE*>(LockResource(LoadResource(module, image)));
        ASSERT_GE(SizeofResource(module, image), 40u);
        if (size > 32)
        {
            // PNG-compressed, a ninth of the bitmap's size: its header names
            // the size it was drawn at, 8 bits per channel, colour with alpha.
            ASSERT_EQ(std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8), 0) << "a PNG image";
            ASSERT_EQ(std::memcmp(bytes + 12, "IHDR", 4), 0);
            EXPECT_EQ(BigEndian(bytes + 16), static_cast<DWORD>(size)) << "width";
            EXPECT_EQ(BigEndian(bytes + 20), static_cast<DWORD>(size)) << "height";
            EXPECT_EQ(bytes[24], 8) << "bits per channel";
            EXPECT_EQ(bytes[25], 6) << "colour type: RGB with alpha";
        }
        else
        {
            // The sizes values loads at every start are bitmaps, which need
            // no PNG decoder to be loaded.
            const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
            EXPECT_EQ(header->biSize, sizeof(BITMAPINFOHEADER)) << "a bitmap";
            EXPECT_EQ(header->biWidth, size);
            EXPECT_EQ(header->biHeight, 2 * size) << "colour image and AND mask";
            EXPECT_EQ(header->biBitCount, 32);
        }

        HICON icon = CreateIconFromResourceEx(bytes, SizeofResource(module, image), TRUE,
                                              0x00030000, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr);
        int painted = PaintedPixels(icon, size, size);
        EXPECT_GT(painted, size * size / 2) << "the tile fills most of the square";
        DestroyIcon(icon);
    }
}

} // namespace
