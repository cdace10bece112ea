// Rendering through the stand-in host: the tool's view window sized, the
// view image read back, host drawings counted.
#pragma once

#include "ZOVA_ToolFixture.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ZOVA_RenderTest : public ZOVA_ToolTest {
protected:
    // Opens the page, picks the tool; the page's view is current, alerts
    // and logs are cleared.
    void Show(const std::string& resources, const std::string& content,
              const std::vector<std::string>& more = {});
    // The view window's interior becomes width × height.
    void Resize(int16_t width, int16_t height);
    void Fit();
    // Update pressed.
    void Update();
    // The view image's window-size part, 0x00RRGGBB each, row after row.
    std::vector<uint32_t> Image();
    uint32_t Pixel(int32_t x, int32_t y);
    // Host page drawings (PDModel 151) so far.
    static size_t Draws();
    // Clicks Stop at the first message poll at which ready() holds.
    void ClickStopWhen(std::function<bool()> ready);
    // Names of the temporary folder's files that begin with prefix.
    std::vector<std::string> TempFilesNamed(const std::string& prefix) const;
    int32_t State() { return m_tool->CurrentView().PageState(); }
};

// A page with eight inks, each filling its own band across the page.
extern const char* const kEightInkResources;
std::string EightInkContent();
