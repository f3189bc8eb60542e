// A Platform for the window's tests: the real file system, with drives the
// test chooses, a fixed ANSI code page, and a web opener that only records.
#pragma once

#include <string>
#include <vector>

#include "platform.h"

class TestPlatform : public tarvel::ui::Platform {
public:
    std::vector<std::string> drives = {"/"};
    int codePage = 1250;
    bool openerStarts = true;
    std::vector<std::string> openedPages;

    std::vector<std::string> Drives() const override { return drives; }
    int AnsiCodePage() const override { return codePage; }
    bool OpenWebPage(const std::string& address) override {
        openedPages.push_back(address);
        return openerStarts;
    }
};
