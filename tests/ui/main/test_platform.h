// A Platform for the window's tests: the real file system, with drives the
// test chooses, directories it refuses to list with a reason of its choosing
// (a test may run as root, who reads any directory), a fixed ANSI code page,
// and a web opener that only records.
#pragma once

#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "platform.h"

class TestPlatform : public tarvel::ui::Platform {
public:
    std::vector<std::string> drives = {"/"};
    int codePage = 1250;
    bool openerStarts = true;
    std::vector<std::string> openedPages;
    std::map<std::string, std::error_code> refused;

    std::vector<std::string> Drives() const override { return drives; }
    std::optional<std::vector<tarvel::ui::DirectoryItem>> ReadDirectory(const std::string& directory,
                                                                        std::error_code& reason) const override {
        const auto refusal = refused.find(directory);
        if (refusal == refused.end()) return Platform::ReadDirectory(directory, reason);
        reason = refusal->second;
        return std::nullopt;
    }
    int AnsiCodePage() const override { return codePage; }
    bool OpenWebPage(const std::string& address) override {
        openedPages.push_back(address);
        return openerStarts;
    }
};
