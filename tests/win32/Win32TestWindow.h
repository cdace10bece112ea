// A window class for the stand-in's tests: each window answers through
// handlers the test sets per message, and DefWindowProcA otherwise. The
// fixture logs every delivered message and destroys what it made.
#pragma once

#include "win32/win32.h"
#include "win32/win32_driver.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class Win32WindowTest : public ::testing::Test {
protected:
    using Handler = std::function<LRESULT(HWND, WPARAM, LPARAM)>;

    static constexpr const char* Plain = "TintscopeTestWindow";
    static constexpr const char* DoubleClicks = "TintscopeTestDblClk";

    void SetUp() override {
        static const bool registered = [] {
            WNDCLASSA plain{};
            plain.lpfnWndProc = Proc;
            plain.lpszClassName = Plain;
            WNDCLASSA dbl = plain;
            dbl.style = CS_DBLCLKS;
            dbl.lpszClassName = DoubleClicks;
            return RegisterClassA(&plain) != 0 && RegisterClassA(&dbl) != 0;
        }();
        ASSERT_TRUE(registered);
        Win32Driver::Pump();
        Win32Driver::StartLog();
    }

    void TearDown() override {
        Handlers().clear();  // they may hold the finished test's locals
        for (HWND h : m_made)
            if (IsWindow(h))
                DestroyWindow(h);
        Win32Driver::Pump();
        Win32Driver::StopLog();
    }

    HWND Make(DWORD style, RECT r, HWND parent = nullptr, DWORD exStyle = 0, const char* cls = Plain, UINT id = 0) {
        const HWND h = CreateWindowExA(exStyle, cls, "test", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                       parent, reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
        m_made.push_back(h);
        return h;
    }

    static void On(HWND window, UINT message, Handler handler) { Handlers()[{window, message}] = std::move(handler); }

    // The window's log, only the names, without the messages listed.
    static std::vector<std::string> Names(HWND window, const std::set<std::string>& skip = {}) {
        std::vector<std::string> names;
        for (const std::string& n : Win32Driver::LogNames(window))
            if (skip.count(n) == 0)
                names.push_back(n);
        return names;
    }

    static std::vector<std::string> Mouse(HWND window) {
        std::vector<std::string> names;
        for (const std::string& line : Win32Driver::Log(window))
            if (line.find("BUTTON") != std::string::npos)
                names.push_back(line);
        return names;
    }

    static LRESULT Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        const auto it = Handlers().find({window, message});
        if (it != Handlers().end())
            return it->second(window, wParam, lParam);
        return DefWindowProcA(window, message, wParam, lParam);
    }

    static std::map<std::pair<HWND, UINT>, Handler>& Handlers() {
        static std::map<std::pair<HWND, UINT>, Handler> handlers;
        return handlers;
    }

    std::vector<HWND> m_made;
};
