#pragma once

// The typed JSON layer of the model files: nlohmann-json holds the tree, this
// layer decodes it with the model's coding rule (errors carry their coding path,
// the first failure in key order wins) and writes it with sorted keys, two-space
// indentation and shortest numbers.

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace icon_geometry::json {

using Tree = nlohmann::json;

// One step of a coding path: an object key or an array index.
using CodingKey = std::variant<std::string, std::size_t>;
using CodingPath = std::vector<CodingKey>;

// "parts[0].solid.extruded", or "" for the top level.
std::string describe(const CodingPath& path);

class DecodingError : public std::runtime_error {
public:
    enum class Kind { keyNotFound, valueNotFound, typeMismatch, dataCorrupted };

    DecodingError(Kind kind, CodingPath codingPath, std::string debugDescription);

    Kind kind;
    CodingPath codingPath;
    std::string debugDescription;
};

// Writing a value that cannot be represented (a number that is not finite).
class EncodingError : public std::runtime_error {
public:
    EncodingError(CodingPath codingPath, std::string debugDescription);
    CodingPath codingPath;
    std::string debugDescription;
};

inline constexpr std::string_view invalidNumberOfKeys = "Invalid number of keys found, expected one.";

class Decoder;

// Specialise for each model type:
//   static T decode(const Decoder&);   throws DecodingError
//   static Tree encode(const T&);
template <class T>
struct Coding;

// A value of the tree at its coding path.
class Decoder {
public:
    Decoder(const Tree& value, CodingPath path = {}) : value_(&value), path_(std::move(path)) {}
    // A decoder refers to its tree: one made from a temporary would outlive it.
    Decoder(const Tree&& value, CodingPath path = {}) = delete;

    const Tree& value() const { return *value_; }
    const CodingPath& codingPath() const { return path_; }
    bool isNull() const { return value_->is_null(); }

    double decodeDouble() const;
    std::int64_t decodeInt() const;
    bool decodeBool() const;
    std::string decodeString() const;

    template <class T>
    T decode() const {
        return Coding<T>::decode(*this);
    }

    // Object members. `member` fails with keyNotFound when the key is missing;
    // `required` also fails with valueNotFound on null; `optional` reads a
    // missing or null member as absent.
    bool contains(std::string_view key) const;
    Decoder member(std::string_view key) const;
    template <class T>
    T required(std::string_view key) const {
        const Decoder m = member(key);
        if (m.isNull()) m.failValueNotFound(typeName<T>());
        return m.decode<T>();
    }
    template <class T>
    std::optional<T> optional(std::string_view key) const {
        expectObject();
        const auto it = value_->find(std::string(key));
        if (it == value_->end() || it->is_null()) return std::nullopt;
        return Decoder(*it, childPath(std::string(key))).decode<T>();
    }

    // Array elements, each at its index.
    std::size_t arrayCount() const;
    Decoder element(std::size_t index) const;
    template <class T>
    std::vector<T> decodeArray() const {
        const std::size_t n = arrayCount();
        std::vector<T> result;
        result.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            const Decoder e = element(i);
            if (e.isNull()) e.failValueNotFound(typeName<T>());
            result.push_back(e.decode<T>());
        }
        return result;
    }

    // An enumeration with payload: an object with exactly one key among the case
    // names. Returns the case and the decoder of its payload object.
    std::pair<std::string, Decoder> singleCase(std::initializer_list<std::string_view> caseNames) const;

    // An enumeration without payload: the raw string must be one of the names;
    // returns its index.
    std::size_t rawValue(std::initializer_list<std::string_view> names) const;

    [[noreturn]] void fail(DecodingError::Kind kind, std::string description) const;
    [[noreturn]] void failValueNotFound(std::string_view expectedType) const;
    void expectObject() const;

private:
    template <class T>
    static std::string_view typeName() {
        if constexpr (std::is_same_v<T, double>)
            return "Double";
        else if constexpr (std::is_same_v<T, bool>)
            return "Bool";
        else if constexpr (std::is_same_v<T, std::string>)
            return "String";
        else if constexpr (std::is_integral_v<T>)
            return "Int";
        else
            return "value";
    }
    CodingPath childPath(CodingKey key) const;

    const Tree* value_;
    CodingPath path_;
};

template <class T>
Tree encode(const T& value) {
    return Coding<T>::encode(value);
}

// An enumeration with payload: {"case": payload}.
inline Tree encodeCase(std::string_view caseName, Tree payload) {
    Tree t = Tree::object();
    t[std::string(caseName)] = std::move(payload);
    return t;
}

// Parses bytes into a tree; text that is not JSON fails with dataCorrupted at the top level.
Tree parse(std::string_view text);

template <class T>
T decode(std::string_view text) {
    const Tree tree = parse(text);
    return Decoder(tree).decode<T>();
}

// Writes the tree with sorted keys, two-space indentation and numbers in their
// shortest form (whole numbers without a fraction). A non-finite number fails.
std::string write(const Tree& tree);

// Shortest round-trip text of a double, locale-free: "12", "0.1", "-0", "1e+21".
std::string formatNumber(double value);

template <>
struct Coding<double> {
    static double decode(const Decoder& d) { return d.decodeDouble(); }
    static Tree encode(double v) { return v; }
};
template <>
struct Coding<int> {
    static int decode(const Decoder& d);
    static Tree encode(int v) { return static_cast<std::int64_t>(v); }
};
template <>
struct Coding<std::int64_t> {
    static std::int64_t decode(const Decoder& d) { return d.decodeInt(); }
    static Tree encode(std::int64_t v) { return v; }
};
template <>
struct Coding<bool> {
    static bool decode(const Decoder& d) { return d.decodeBool(); }
    static Tree encode(bool v) { return v; }
};
template <>
struct Coding<std::string> {
    static std::string decode(const Decoder& d) { return d.decodeString(); }
    static Tree encode(const std::string& v) { return v; }
};
template <class T>
struct Coding<std::vector<T>> {
    static std::vector<T> decode(const Decoder& d) { return d.decodeArray<T>(); }
    static Tree encode(const std::vector<T>& values) {
        Tree t = Tree::array();
        for (const T& v : values) t.push_back(Coding<T>::encode(v));
        return t;
    }
};

}  // namespace icon_geometry::json
