#include "win/ui/window_picture.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace quillmoor::win {
namespace {

// Hands the window the messages that its redraw left waiting.
void DrainPaintMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Not this function's to take: the loop that owns the thread sees it again.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool WriteBmp(const std::u16string& path, int width, int height, const std::vector<BYTE>& rows) {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up rows, as GetDIBits gave them
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(rows.size());
    file.bfType = 0x4d42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;

    FILE* out = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"wb");
    if (out == nullptr) {
        return false;
    }
    bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                   std::fwrite(&info, sizeof info, 1, out) == 1 &&
                   std::fwrite(rows.data(), 1, rows.size(), out) == rows.size();
    written = std::fclose(out) == 0 && written;
    return written;
}

}  // namespace

bool SaveWindowPicture(HWND window, const std::u16string& path) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DrainPaintMessages();
    GdiFlush();

    RECT place;
    if (!GetWindowRect(window, &place)) {
        return false;
    }
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied =
        BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY) != FALSE;
    SelectObject(memory, old);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::vector<BYTE> rows(stride * static_cast<std::size_t>(height));
    const bool read = copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), rows.data(),
                                          &info, DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return read && WriteBmp(path, width, height, rows);
}

}  // namespace quillmoor::win
