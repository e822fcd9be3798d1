#include "icon_geometry/json.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace icon_geometry::json {
namespace {

std::string_view jsonTypeName(const Tree& t) {
    switch (t.type()) {
        case Tree::value_t::null:
            return "null";
        case Tree::value_t::object:
            return "a dictionary";
        case Tree::value_t::array:
            return "an array";
        case Tree::value_t::string:
            return "a string";
        case Tree::value_t::boolean:
            return "a boolean";
        case Tree::value_t::number_integer:
        case Tree::value_t::number_unsigned:
        case Tree::value_t::number_float:
            return "a number";
        default:
            return "an unsupported value";
    }
}

void writeString(std::string& out, const std::string& s) {
    out += '"';
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20) {
                    static constexpr char hex[] = "0123456789abcdef";
                    out += "\\u00";
                    out += hex[c >> 4];
                    out += hex[c & 0xF];
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
}

void writeValue(std::string& out, const Tree& t, int indent, CodingPath& path) {
    const auto newline = [&](int level) {
        out += '\n';
        out.append(static_cast<std::size_t>(level) * 2, ' ');
    };
    switch (t.type()) {
        case Tree::value_t::object: {
            if (t.empty()) {
                out += "{}";
                return;
            }
            out += '{';
            bool first = true;
            // nlohmann's object map orders keys by their bytes.
            for (auto it = t.begin(); it != t.end(); ++it) {
                if (!first) out += ',';
                first = false;
                newline(indent + 1);
                writeString(out, it.key());
                out += " : ";
                path.emplace_back(it.key());
                writeValue(out, it.value(), indent + 1, path);
                path.pop_back();
            }
            newline(indent);
            out += '}';
            return;
        }
        case Tree::value_t::array: {
            if (t.empty()) {
                out += "[]";
                return;
            }
            out += '[';
            for (std::size_t i = 0; i < t.size(); ++i) {
                if (i > 0) out += ',';
                newline(indent + 1);
                path.emplace_back(i);
                writeValue(out, t[i], indent + 1, path);
                path.pop_back();
            }
            newline(indent);
            out += ']';
            return;
        }
        case Tree::value_t::string:
            writeString(out, t.get_ref<const std::string&>());
            return;
        case Tree::value_t::boolean:
            out += t.get<bool>() ? "true" : "false";
            return;
        case Tree::value_t::number_integer:
            out += std::to_string(t.get<std::int64_t>());
            return;
        case Tree::value_t::number_unsigned:
            out += std::to_string(t.get<std::uint64_t>());
            return;
        case Tree::value_t::number_float: {
            const double v = t.get<double>();
            if (!std::isfinite(v)) throw EncodingError(path, "Unable to encode a non-finite number.");
            out += formatNumber(v);
            return;
        }
        case Tree::value_t::null:
            out += "null";
            return;
        default:
            throw EncodingError(path, "Unable to encode this value.");
    }
}

}  // namespace

std::string describe(const CodingPath& path) {
    std::string text;
    for (const CodingKey& key : path) {
        if (const auto* name = std::get_if<std::string>(&key)) {
            if (!text.empty()) text += '.';
            text += *name;
        } else {
            text += '[' + std::to_string(std::get<std::size_t>(key)) + ']';
        }
    }
    return text;
}

DecodingError::DecodingError(Kind k, CodingPath p, std::string description)
    : std::runtime_error(description + (p.empty() ? std::string() : " (at " + describe(p) + ")")),
      kind(k),
      codingPath(std::move(p)),
      debugDescription(std::move(description)) {}

EncodingError::EncodingError(CodingPath p, std::string description)
    : std::runtime_error(description), codingPath(std::move(p)), debugDescription(std::move(description)) {}

CodingPath Decoder::childPath(CodingKey key) const {
    CodingPath p = path_;
    p.push_back(std::move(key));
    return p;
}

void Decoder::fail(DecodingError::Kind kind, std::string description) const {
    throw DecodingError(kind, path_, std::move(description));
}

void Decoder::failValueNotFound(std::string_view expectedType) const {
    fail(DecodingError::Kind::valueNotFound,
         "Expected " + std::string(expectedType) + " value but found null instead.");
}

void Decoder::expectObject() const {
    if (!value_->is_object()) {
        if (value_->is_null()) failValueNotFound("a dictionary");
        fail(DecodingError::Kind::typeMismatch,
             "Expected to decode a dictionary but found " + std::string(jsonTypeName(*value_)) + " instead.");
    }
}

double Decoder::decodeDouble() const {
    if (value_->is_number()) return value_->get<double>();
    if (value_->is_null()) failValueNotFound("Double");
    fail(DecodingError::Kind::typeMismatch,
         "Expected to decode Double but found " + std::string(jsonTypeName(*value_)) + " instead.");
}

std::int64_t Decoder::decodeInt() const {
    if (value_->is_number_integer() && !value_->is_number_unsigned()) return value_->get<std::int64_t>();
    if (value_->is_number_unsigned()) {
        const auto u = value_->get<std::uint64_t>();
        if (u <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return static_cast<std::int64_t>(u);
    } else if (value_->is_number_float()) {
        // "3.0" and "1e3" are whole numbers written as reals; a fraction is refused.
        const double d = value_->get<double>();
        if (std::isfinite(d) && d == std::trunc(d) && d >= -9.2233720368547758e18 && d < 9.2233720368547758e18)
            return static_cast<std::int64_t>(d);
    }
    if (value_->is_null()) failValueNotFound("Int");
    if (value_->is_number()) fail(DecodingError::Kind::typeMismatch, "Parsed JSON number does not fit in Int.");
    fail(DecodingError::Kind::typeMismatch,
         "Expected to decode Int but found " + std::string(jsonTypeName(*value_)) + " instead.");
}

bool Decoder::decodeBool() const {
    if (value_->is_boolean()) return value_->get<bool>();
    if (value_->is_null()) failValueNotFound("Bool");
    fail(DecodingError::Kind::typeMismatch,
         "Expected to decode Bool but found " + std::string(jsonTypeName(*value_)) + " instead.");
}

std::string Decoder::decodeString() const {
    if (value_->is_string()) return value_->get<std::string>();
    if (value_->is_null()) failValueNotFound("String");
    fail(DecodingError::Kind::typeMismatch,
         "Expected to decode String but found " + std::string(jsonTypeName(*value_)) + " instead.");
}

bool Decoder::contains(std::string_view key) const {
    return value_->is_object() && value_->find(std::string(key)) != value_->end();
}

Decoder Decoder::member(std::string_view key) const {
    expectObject();
    const auto it = value_->find(std::string(key));
    if (it == value_->end()) {
        fail(DecodingError::Kind::keyNotFound, "No value associated with key \"" + std::string(key) + "\".");
    }
    return Decoder(*it, childPath(std::string(key)));
}

std::size_t Decoder::arrayCount() const {
    if (!value_->is_array()) {
        if (value_->is_null()) failValueNotFound("an array");
        fail(DecodingError::Kind::typeMismatch,
             "Expected to decode an array but found " + std::string(jsonTypeName(*value_)) + " instead.");
    }
    return value_->size();
}

Decoder Decoder::element(std::size_t index) const {
    arrayCount();
    return Decoder((*value_)[index], childPath(index));
}

std::pair<std::string, Decoder> Decoder::singleCase(std::initializer_list<std::string_view> caseNames) const {
    expectObject();
    const Tree* found = nullptr;
    std::string foundName;
    int count = 0;
    for (const std::string_view name : caseNames) {
        const auto it = value_->find(std::string(name));
        if (it == value_->end()) continue;
        ++count;
        found = &*it;
        foundName = std::string(name);
    }
    if (count != 1) fail(DecodingError::Kind::typeMismatch, std::string(invalidNumberOfKeys));
    Decoder payload(*found, childPath(foundName));
    payload.expectObject();
    return {foundName, payload};
}

std::size_t Decoder::rawValue(std::initializer_list<std::string_view> names) const {
    const std::string raw = decodeString();
    std::size_t index = 0;
    for (const std::string_view name : names) {
        if (raw == name) return index;
        ++index;
    }
    fail(DecodingError::Kind::dataCorrupted, "Cannot initialize from invalid String value " + raw);
}

int Coding<int>::decode(const Decoder& d) {
    const std::int64_t v = d.decodeInt();
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        d.fail(DecodingError::Kind::typeMismatch, "Parsed JSON number does not fit in Int.");
    return static_cast<int>(v);
}

Tree parse(std::string_view text) {
    Tree tree = Tree::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (tree.is_discarded())
        throw DecodingError(DecodingError::Kind::dataCorrupted, {}, "The given data was not valid JSON.");
    return tree;
}

std::string write(const Tree& tree) {
    std::string out;
    CodingPath path;
    writeValue(out, tree, 0, path);
    return out;
}

std::string formatNumber(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace icon_geometry::json
