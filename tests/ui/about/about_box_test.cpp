// The About box's behaviour with a fake view: what its load shows, OK closing
// it, and "WWW" opening the home page through the platform, a failure of
// which changes nothing.
#include <gtest/gtest.h>

#include "about_box.h"
#include "tarvel_version.h"
#include "test_platform.h"

namespace {

using namespace tarvel::ui;

class FakeAboutView : public AboutBoxView {
public:
    std::string version = std::string(kVersionPlaceholder);
    int closes = 0;
    void SetVersionText(const std::string& text) override { version = text; }
    void Close() override { ++closes; }
};

TEST(AboutBox, LoadShowsTheVersionAndOkClosesTheBox) {
    TestPlatform platform;
    FakeAboutView view;
    AboutBox box(view, platform);
    box.Load();
    EXPECT_EQ(view.version, std::string("Wersja ") + TARVEL_VERSION);
    EXPECT_EQ(VersionText(), "Wersja 1.0.0");
    EXPECT_EQ(view.closes, 0);
    box.PressOk();
    EXPECT_EQ(view.closes, 1);
}

TEST(AboutBox, WwwOpensTheHomePageAndAFailureChangesNothing) {
    TestPlatform platform;
    FakeAboutView view;
    AboutBox box(view, platform);
    box.Load();
    box.OpenHomePage();
    platform.openerStarts = false;
    box.OpenHomePage();
    EXPECT_EQ(platform.openedPages, (std::vector<std::string>{kHomePage, kHomePage}));
    EXPECT_TRUE(std::string_view(kHomePage).starts_with("https://"));
    EXPECT_EQ(view.closes, 0);
    EXPECT_EQ(view.version, VersionText());
}

}  // namespace
