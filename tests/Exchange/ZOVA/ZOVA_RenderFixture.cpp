#include "ZOVA_RenderFixture.h"

#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Recorder.h"
#include "win32/win32_driver.h"

const char* const kEightInkResources =
    "<< /ColorSpace << "
    "/CS0 [/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0 0 0] /C1 [0 0.2 0.9 0.1] >>] "
    "/CS1 [/Separation /Silver /DeviceCMYK << /FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0 0 0] /C1 [0 0 0 0.3] >>] "
    "/CS2 [/Separation /Rust /DeviceCMYK << /FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0 0 0] /C1 [0 0.7 0.9 0.2] >>] "
    "/CS3 [/Separation /Teal /DeviceCMYK << /FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0 0 0] /C1 [0.8 0 0.3 0] >>] "
    ">> >>";

std::string EightInkContent() {
    const char* const inks[] = {"1 0 0 0 k", "0 1 0 0 k", "0 0 1 0 k", "0 0 0 1 k",
                                "/CS0 cs 1 scn", "/CS1 cs 1 scn", "/CS2 cs 1 scn", "/CS3 cs 1 scn"};
    std::string content;
    for (int i = 0; i < 8; ++i)
        content += std::string(inks[i]) + " 0 " + std::to_string(i * 99) + " 612 99 re f\n";
    return content;
}

void ZOVA_RenderTest::Show(const std::string& resources, const std::string& content,
                           const std::vector<std::string>& more) {
    OpenPage(resources, content, more);
    Activate();
    ASSERT_TRUE(m_tool->HasCurrentView());
    VIEW_App::ClearAlerts();
    ClearLogs();
}

void ZOVA_RenderTest::Resize(int16_t width, int16_t height) {
    VIEW_CallPlugin([&] { m_tool->ViewWindow().SetInteriorSize(width, height); });
}

void ZOVA_RenderTest::Fit() {
    VIEW_CallPlugin([&] { m_tool->SetResolution(0); });
}

void ZOVA_RenderTest::Update() {
    VIEW_CallPlugin([&] { m_tool->Update(true); });
}

std::vector<uint32_t> ZOVA_RenderTest::Image() {
    ZOVA_OffscreenImage& image = m_tool->ViewImage();
    const uint32_t* bits = image.LockData();
    const int32_t stride = image.RowBytes() / 4;
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < m_tool->WindowHeight(); ++y)
        for (int32_t x = 0; x < m_tool->WindowWidth(); ++x)
            pixels.push_back(bits[y * stride + x] & 0xFFFFFF);
    image.UnlockData();
    return pixels;
}

uint32_t ZOVA_RenderTest::Pixel(int32_t x, int32_t y) {
    ZOVA_OffscreenImage& image = m_tool->ViewImage();
    const uint32_t pixel = image.LockData()[y * (image.RowBytes() / 4) + x] & 0xFFFFFF;
    image.UnlockData();
    return pixel;
}

size_t ZOVA_RenderTest::Draws() {
    size_t count = 0;
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        count += call.m_table == PDFL_PDModelTable && call.m_slot == 151;
    return count;
}

void ZOVA_RenderTest::ClickStopWhen(std::function<bool()> ready) {
    Win32Driver::AtPeek(1, [this, ready] {
        if (!ready()) {
            ClickStopWhen(ready);
            return;
        }
        // The button's right end: the view window covers its left one.
        const HWND stop = m_tool->ColorDialog().ItemHandle(1022);
        RECT client{};
        GetClientRect(stop, &client);
        Win32Driver::Click(stop, client.right - 5, client.bottom / 2);
    });
}

std::vector<std::string> ZOVA_RenderTest::TempFilesNamed(const std::string& prefix) const {
    std::vector<std::string> named;
    for (const std::string& name : TempFiles())
        if (name.rfind(prefix, 0) == 0)
            named.push_back(name);
    return named;
}
