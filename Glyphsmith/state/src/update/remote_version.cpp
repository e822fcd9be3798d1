#include "glyphsmith_state/remote_version.hpp"

#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

#include "icon_geometry/json.hpp"

namespace glyphsmith_state {
namespace {

namespace json = icon_geometry::json;

// A version file is a flat object with one object of notes inside; anything
// nested deeper is refused before a tree is built, so a hostile file cannot
// make one of a million levels.
constexpr std::size_t maximumDepth = 16;

// Counts the nesting while nlohmann reads the text and stops it past the bound.
class DepthGuard final : public nlohmann::json_sax<json::Tree> {
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return enter(); }
    bool key(string_t&) override { return true; }
    bool end_object() override { return leave(); }
    bool start_array(std::size_t) override { return enter(); }
    bool end_array() override { return leave(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    bool enter() { return ++depth_ <= maximumDepth; }
    bool leave() {
        --depth_;
        return true;
    }
    std::size_t depth_ = 0;
};

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// The download page is opened in the user's browser: only a web address will do.
std::optional<QUrl> webAddress(const QString& written) {
    const QUrl url(written, QUrl::StrictMode);
    if (!url.isValid()) return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme != u"http" && scheme != u"https") return std::nullopt;
    if (url.host().isEmpty()) return std::nullopt;
    return url;
}

RemoteVersion decodeTree(const json::Tree& tree) {
    const json::Decoder file(tree);
    file.expectObject();
    RemoteVersion version;
    version.version = text(file.required<std::string>("version"));

    const json::Decoder build = file.member("build");
    if (build.value().is_string()) {
        version.build = text(build.decodeString());
    } else {
        // An integral number, written as its decimal text; a fraction is refused.
        const std::int64_t number = build.decodeInt();
        char digits[24];
        const auto written = std::to_chars(digits, digits + sizeof digits, number);
        version.build = QString::fromLatin1(digits, written.ptr - digits);
    }

    version.date = text(file.optional<std::string>("date").value_or(std::string()));

    const auto url = webAddress(text(file.required<std::string>("url")));
    if (!url) file.member("url").fail(json::DecodingError::Kind::dataCorrupted, "Invalid URL string.");
    version.url = *url;

    if (file.contains("notes") && !file.member("notes").isNull()) {
        const json::Decoder notes = file.member("notes");
        notes.expectObject();
        for (const auto& [language, _] : notes.value().items())
            version.notes.emplace(text(language), text(notes.member(language).decodeString()));
    }
    return version;
}

// A whole decimal integer with an optional sign, in ASCII digits; nothing for
// anything else, an empty text, or a value beyond 64 bits.
std::optional<std::int64_t> readInteger(QStringView written) {
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(written.size()));
    for (const QChar c : written) {
        if (c.unicode() > 0x7f) return std::nullopt;
        ascii.push_back(static_cast<char>(c.unicode()));
    }
    std::string_view digits(ascii);
    // from_chars takes a minus sign but no plus sign.
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') return std::nullopt;
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

// 2.10.1-beta gives 2, 10, 1; rc1 gives 0: each dotted piece counts by its
// leading digits, read as an integer, 0 when there are none or too many.
std::vector<std::int64_t> components(const QString& version) {
    std::vector<std::int64_t> numbers;
    for (const QString& piece : version.split(QLatin1Char('.'), Qt::SkipEmptyParts)) {
        QString run;
        for (const uint point : piece.toUcs4()) {
            const auto character = static_cast<char32_t>(point);
            if (!QChar::isNumber(character)) break;
            run.append(QString::fromUcs4(&character, 1));
        }
        numbers.push_back(readInteger(run).value_or(0));
    }
    return numbers;
}

}  // namespace

std::optional<RemoteVersion> RemoteVersion::decode(const QByteArray& bytes) {
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    DepthGuard guard;
    if (!json::Tree::sax_parse(text, &guard)) return std::nullopt;
    try {
        return decodeTree(json::parse(text));
    } catch (const json::DecodingError&) {
        return std::nullopt;
    }
}

bool RemoteVersion::isNewer(const QString& currentVersion, const QString& currentBuild) const {
    const std::vector<std::int64_t> remote = components(version);
    const std::vector<std::int64_t> current = components(currentVersion);
    for (std::size_t i = 0; i < std::max(remote.size(), current.size()); ++i) {
        const std::int64_t r = i < remote.size() ? remote[i] : 0;
        const std::int64_t c = i < current.size() ? current[i] : 0;
        if (r != c) return r > c;
    }
    return readInteger(build).value_or(0) > readInteger(currentBuild).value_or(0);
}

std::optional<QString> RemoteVersion::notesForLanguage(const QString& languageCode) const {
    if (const auto found = notes.find(languageCode); found != notes.end()) return found->second;
    if (const auto french = notes.find(QStringLiteral("fr")); french != notes.end()) return french->second;
    return std::nullopt;
}

}  // namespace glyphsmith_state
