#include "glyphsmith_state/remote_version.hpp"

#include <gtest/gtest.h>

#include <string>

using glyphsmith_state::RemoteVersion;
using namespace Qt::Literals::StringLiterals;

namespace {

RemoteVersion remote(QString version, QString build) {
    RemoteVersion v;
    v.version = std::move(version);
    v.build = std::move(build);
    v.url = QUrl(u"https://example.org/glyphsmith"_s);
    return v;
}

TEST(RemoteVersion, ComparesComponentsAsNumbersThenBuilds) {
    struct Case {
        const char* remoteVersion;
        const char* remoteBuild;
        const char* currentVersion;
        const char* currentBuild;
        bool newer;
    };
    const std::string thirtyDigits(30, '9');
    const Case cases[] = {
        {"2.1.0", "41", "2.1", "40", true},
        {"2.1.0", "40", "2.1", "40", false},
        {"2.10", "1", "2.9", "1", true},
        {"2.9", "1", "2.10", "1", false},
        {"2.1", "1", "2.1.0.1", "1", false},
        {"", "5", "", "5", false},
        // Builds: an optional sign, else 0.
        {"1", "", "1", "5", false},
        {"1", "+7", "1", "6", true},
        {"1", "-3", "1", "0", false},
        {"1", "0", "1", "-3", true},
        {"1", "7b", "1", "0", false},
        {"1", " 7", "1", "0", false},
        {"1", "+-7", "1", "0", false},
        {"1", "99999999999999999999", "1", "5", false},
        // Pieces count by their leading digits.
        {"2.10.1-beta", "1", "2.10.0", "1", true},
        {"2.10.1-beta", "1", "2.10.1", "1", false},
        {"rc1", "9", "0", "1", true},
        {"1..2", "1", "1.2", "1", false},
        {"1.٣", "1", "1.0", "1", false},
        // Too many digits for an integer count as 0.
        {"1.999999999999999999999999999999", "1", "1.1", "1", false},
        {"1.9223372036854775807", "1", "1.9223372036854775806", "1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.remoteVersion) + " (" + c.remoteBuild + ") against " + c.currentVersion + " (" +
                     c.currentBuild + ")");
        EXPECT_EQ(remote(QString::fromUtf8(c.remoteVersion), QString::fromUtf8(c.remoteBuild))
                      .isNewer(QString::fromUtf8(c.currentVersion), QString::fromUtf8(c.currentBuild)),
                  c.newer);
    }
    EXPECT_FALSE(remote(QString::fromStdString("1." + thirtyDigits), u"1"_s).isNewer(u"1.1"_s, u"1"_s));
}

TEST(RemoteVersion, DecodesTheVersionFile) {
    const auto full = RemoteVersion::decode(R"({
        "version": "2.1.0", "build": "41", "date": "2026-03-01",
        "url": "https://example.org/glyphsmith/telechargement",
        "notes": {"fr": "Corrections.", "en": "Fixes."},
        "autre": {"x": [1, {"y": null}]}
    })");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->version, u"2.1.0"_s);
    EXPECT_EQ(full->build, u"41"_s);
    EXPECT_EQ(full->date, u"2026-03-01"_s);
    EXPECT_EQ(full->url, QUrl(u"https://example.org/glyphsmith/telechargement"_s));
    EXPECT_EQ(full->notes.size(), 2u);

    const auto bare = RemoteVersion::decode(R"({"version": "2", "build": 57, "url": "http://example.org"})");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->build, u"57"_s);
    EXPECT_TRUE(bare->date.isEmpty());
    EXPECT_TRUE(bare->notes.empty());
    EXPECT_EQ(bare->notesForLanguage(u"fr"_s), std::nullopt);

    const struct {
        const char* text;
        const char* build;
    } builds[] = {
        {R"({"version": "2", "build": 57.0, "url": "https://e.org"})", "57"},
        {R"({"version": "2", "build": -3, "url": "https://e.org"})", "-3"},
        {R"({"version": "2", "build": "", "url": "https://e.org"})", ""},
        {R"({"version": "2", "build": "57", "url": "https://e.org", "date": null, "notes": null})", "57"},
    };
    for (const auto& b : builds) {
        SCOPED_TRACE(b.text);
        const auto decoded = RemoteVersion::decode(b.text);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->build, QString::fromUtf8(b.build));
    }
}

TEST(RemoteVersion, RefusesAFileThatBreaksItsRules) {
    const std::string deep =
        "{\"version\": \"2\", \"build\": \"1\", \"url\": \"https://e.org\", \"x\": " + std::string(100000, '[') +
        std::string(100000, ']') + "}";
    const std::pair<const char*, std::string> cases[] = {
        {"not JSON", "version=2.1"},
        {"truncated", R"({"version": "2", "build": "1", "url": "https://e.org")"},
        {"empty", ""},
        {"an array", R"([{"version": "2", "build": "1", "url": "https://e.org"}])"},
        {"no version", R"({"build": "1", "url": "https://e.org"})"},
        {"a numeric version", R"({"version": 2.1, "build": "1", "url": "https://e.org"})"},
        {"a null version", R"({"version": null, "build": "1", "url": "https://e.org"})"},
        {"no build", R"({"version": "2", "url": "https://e.org"})"},
        {"a fractional build", R"({"version": "2", "build": 57.5, "url": "https://e.org"})"},
        {"a boolean build", R"({"version": "2", "build": true, "url": "https://e.org"})"},
        {"a build beyond 64 bits", R"({"version": "2", "build": 18446744073709551615, "url": "https://e.org"})"},
        {"a numeric date", R"({"version": "2", "build": "1", "url": "https://e.org", "date": 20260301})"},
        {"no url", R"({"version": "2", "build": "1"})"},
        {"an empty url", R"({"version": "2", "build": "1", "url": ""})"},
        {"a file url", R"({"version": "2", "build": "1", "url": "file:///etc/passwd"})"},
        {"a script url", R"x({"version": "2", "build": "1", "url": "javascript:alert(1)"})x"},
        {"a url without host", R"({"version": "2", "build": "1", "url": "https:///chemin"})"},
        {"a relative url", R"({"version": "2", "build": "1", "url": "/glyphsmith"})"},
        {"a url with a space", R"({"version": "2", "build": "1", "url": "https://exa mple.org"})"},
        {"notes as text", R"({"version": "2", "build": "1", "url": "https://e.org", "notes": "Corrections."})"},
        {"a numeric note", R"({"version": "2", "build": "1", "url": "https://e.org", "notes": {"fr": 1}})"},
        {"nested a hundred thousand deep", deep},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(RemoteVersion::decode(QByteArray::fromStdString(text)), std::nullopt);
    }
}

TEST(RemoteVersion, GivesTheNotesOfTheLanguageElseTheFrenchOnes) {
    RemoteVersion version = remote(u"2"_s, u"1"_s);
    version.notes = {{u"en"_s, u"Fixes."_s}, {u"fr"_s, u"Corrections."_s}};
    EXPECT_EQ(version.notesForLanguage(u"en"_s), u"Fixes."_s);
    EXPECT_EQ(version.notesForLanguage(u"fr"_s), u"Corrections."_s);
    EXPECT_EQ(version.notesForLanguage(u"de"_s), u"Corrections."_s);
    version.notes = {{u"en"_s, u"Fixes."_s}};
    EXPECT_EQ(version.notesForLanguage(u"de"_s), std::nullopt);
    version.notes.clear();
    EXPECT_EQ(version.notesForLanguage(u"en"_s), std::nullopt);
}

}  // namespace
