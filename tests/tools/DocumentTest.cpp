// The command-line tool's document with a configuration of one's own: the theme it colours with
// when none is asked for, whatever themes the configuration lists.
#include "Document.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/TempFolder.h"

namespace {

TEST(Document, ColoursWithTheAskedThemeElseTheCurrentElseTheFirstLoaded) {
    struct Case {
        const char* what;
        std::vector<std::string> themes;  // in the order listed; "Gone" has no file
        std::optional<std::wstring> asked;
        std::wstring used;  // empty: none
        const char* error = "";
    };
    const Case cases[] = {
        {"no theme named Default: the first listed", {"Night", "Day"}, std::nullopt, L"Night"},
        {"the current theme when listed", {"Night", "Default"}, std::nullopt, L"Default"},
        {"a listed theme without its file is passed over", {"Gone", "Day"}, std::nullopt, L"Day"},
        {"no themes: the schemes' own colours", {}, std::nullopt, L""},
        {"a theme asked for by name", {"Night", "Day"}, L"Day", L"Day"},
        {"a theme asked for that is not listed", {"Night"}, L"Default", L"Default", "unknown theme Default"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pwtest::TempFolder temp;
        temp.Write("plain.pws", "lexClass:\n\tname = plain\n\tparent:file = <*.txt>\n//:lexClass\n");
        std::string ini = "[themes]\n";
        for (const std::string& theme : c.themes) {
            ini += theme + "=" + theme + ".ini\n";
            if (theme != "Gone")
                temp.Write(theme + ".ini", "[plain]\ncolorFG=0x123456\n");
        }
        Document doc;
        std::string error;
        ASSERT_TRUE(doc.OpenConfig(temp.Write("own.ini", ini + "[schemes]\nPlain=plain.pws\n"), error))
            << error;
        EXPECT_EQ(doc.UseTheme(c.asked, error), *c.error == '\0');
        EXPECT_EQ(error, c.error);
        if (error.empty()) {
            EXPECT_EQ(doc.Config()->GetCurrentTheme(), c.used);
        }
    }
}

}  // namespace
