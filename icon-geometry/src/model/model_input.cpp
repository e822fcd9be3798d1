#include "icon_geometry/model_input.hpp"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace icon_geometry::ModelInput {

namespace {

using Tree = json::Tree;
using Sax = nlohmann::json_sax<Tree>;

// Builds the tree like nlohmann's own DOM parser, refusing to grow it past the
// bounds. Once a bound is broken the partial tree is dropped and the rest of the
// text is only checked for syntax, so that malformed text still reports as
// malformed. The parser itself keeps its nesting on the heap, not the stack.
class BoundedBuilder final : public Sax {
public:
    Tree root;
    bool outOfBounds = false;

    bool null() override { return scalar(Tree(nullptr)); }
    // The walk of the bounds sees a truth value as the number 0 or 1: always within.
    bool boolean(bool value) override { return scalar(Tree(value)); }
    bool number_integer(number_integer_t value) override { return number(static_cast<double>(value), Tree(value)); }
    bool number_unsigned(number_unsigned_t value) override { return number(static_cast<double>(value), Tree(value)); }
    bool number_float(number_float_t value, const string_t&) override { return number(value, Tree(value)); }
    bool string(string_t& value) override { return scalar(Tree(std::move(value))); }
    bool binary(binary_t&) override { return refuse(); }

    bool start_object(std::size_t) override { return open(Tree::object()); }
    bool key(string_t& name) override {
        if (outOfBounds) return true;
        Tree& object = *open_.back();
        member_ = &object[name];
        if (object.size() > maximumEntries) return refuse();
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(Tree::array()); }
    bool end_array() override { return close(); }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    // Refusing never stops the parser: the syntax of the rest still decides.
    bool refuse() {
        if (!outOfBounds) {
            outOfBounds = true;
            open_.clear();
            open_.shrink_to_fit();
            root = Tree();
        }
        return true;
    }

    bool scalar(Tree value) {
        add(std::move(value));
        return true;
    }

    bool number(double x, Tree value) {
        if (outOfBounds) return true;
        if (!(std::isfinite(x) && std::fabs(x) <= maximumMagnitude)) return refuse();
        return scalar(std::move(value));
    }

    // The value's depth is the number of containers open around it.
    Tree* add(Tree value) {
        if (outOfBounds) return nullptr;
        if (open_.size() > maximumDepth) {
            refuse();
            return nullptr;
        }
        if (open_.empty()) {
            root = std::move(value);
            return &root;
        }
        Tree& parent = *open_.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            if (parent.size() > maximumEntries) {
                refuse();
                return nullptr;
            }
            return &parent.back();
        }
        *member_ = std::move(value);
        return member_;
    }

    bool open(Tree container) {
        if (Tree* added = add(std::move(container))) open_.push_back(added);
        return true;
    }
    bool close() {
        if (!outOfBounds) open_.pop_back();
        return true;
    }

    // The containers open around the current position, innermost last. Children
    // of a closed container are never referenced again, so growing a parent
    // cannot leave a stale pointer here.
    std::vector<Tree*> open_;
    Tree* member_ = nullptr;
};

// Watches the top-level object for its "version" member, building nothing.
class VersionWatcher final : public Sax {
public:
    std::optional<std::int64_t> version;
    bool topLevelIsObject = false;

    bool null() override { return scalar(std::nullopt); }
    bool boolean(bool) override { return scalar(std::nullopt); }
    bool number_integer(number_integer_t value) override { return scalar(value); }
    bool number_unsigned(number_unsigned_t value) override {
        if (value > static_cast<number_unsigned_t>(std::numeric_limits<std::int64_t>::max()))
            return scalar(std::nullopt);
        return scalar(static_cast<std::int64_t>(value));
    }
    bool number_float(number_float_t value, const string_t&) override {
        // A whole number written as a real ("2.0", "2e0") is still an integer.
        if (std::isfinite(value) && value == std::trunc(value) && value >= -9223372036854775808.0 &&
            value < 9223372036854775808.0)
            return scalar(static_cast<std::int64_t>(value));
        return scalar(std::nullopt);
    }
    bool string(string_t&) override { return scalar(std::nullopt); }
    bool binary(binary_t&) override { return false; }

    bool start_object(std::size_t) override {
        if (depth_ == 0) topLevelIsObject = true;
        scalar(std::nullopt);
        ++depth_;
        return true;
    }
    bool key(string_t& name) override {
        if (depth_ == 1) atVersion_ = name == "version";
        return true;
    }
    bool end_object() override {
        --depth_;
        return true;
    }
    bool start_array(std::size_t) override {
        scalar(std::nullopt);
        ++depth_;
        return true;
    }
    bool end_array() override {
        --depth_;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    // A repeated key keeps its last value, as the tree parsers do.
    bool scalar(std::optional<std::int64_t> value) {
        if (depth_ == 1 && atVersion_) {
            version = value;
            atVersion_ = false;
        }
        return true;
    }

    std::size_t depth_ = 0;
    bool atVersion_ = false;
};

[[noreturn]] void failNotJSON() {
    throw json::DecodingError(json::DecodingError::Kind::dataCorrupted, {}, "The given data was not valid JSON.");
}

template <class Handler>
bool parseWith(std::string_view bytes, Handler& handler) {
    try {
        return Tree::sax_parse(bytes.begin(), bytes.end(), &handler, Tree::input_format_t::json, true, false);
    } catch (const nlohmann::json::exception&) {
        return false;
    }
}

}  // namespace

const char* Failure::what() const noexcept {
    return "ModelInput.Failure.outOfBounds";
}

json::Tree boundedTree(std::string_view bytes) {
    BoundedBuilder builder;
    if (!parseWith(bytes, builder)) failNotJSON();
    if (builder.outOfBounds) throw Failure(Failure::outOfBounds);
    return std::move(builder.root);
}

namespace {

// The first value of the written tree the reader's bounds refuse, in the order
// the written text holds them (keys sorted, as the writer sorts them).
std::optional<StorageProblem> firstOutOfBounds(const Tree& tree, json::CodingPath& path, std::size_t depth) {
    using Kind = StorageProblem::Kind;
    const auto problem = [&](Kind kind, double value) { return StorageProblem{kind, json::describe(path), value}; };
    if (depth > maximumDepth) return problem(Kind::depth, static_cast<double>(depth));
    if (tree.is_number()) {
        const double x = tree.get<double>();
        if (!std::isfinite(x)) return problem(Kind::unwritable, x);
        if (std::fabs(x) > maximumMagnitude) return problem(Kind::magnitude, x);
        return std::nullopt;
    }
    if (!tree.is_structured()) return std::nullopt;
    if (tree.size() > maximumEntries) return problem(Kind::entries, static_cast<double>(tree.size()));
    if (tree.is_array()) {
        for (std::size_t i = 0; i < tree.size(); ++i) {
            path.emplace_back(i);
            auto found = firstOutOfBounds(tree[i], path, depth + 1);
            path.pop_back();
            if (found) return found;
        }
        return std::nullopt;
    }
    for (const auto& [key, value] : tree.items()) {  // nlohmann keeps object keys sorted
        path.emplace_back(key);
        auto found = firstOutOfBounds(value, path, depth + 1);
        path.pop_back();
        if (found) return found;
    }
    return std::nullopt;
}

}  // namespace

std::optional<StorageProblem> storageProblem(const IconModel& model) {
    const Tree tree = json::encode(model);
    json::CodingPath path;
    if (auto found = firstOutOfBounds(tree, path, 0)) return found;
    // Within every bound, the written text reads back; the reader is the judge.
    try {
        (void)decode<IconModel>(json::write(tree));
    } catch (const json::EncodingError& error) {
        return StorageProblem{StorageProblem::Kind::unwritable, json::describe(error.codingPath), 0};
    } catch (const json::DecodingError& error) {
        return StorageProblem{StorageProblem::Kind::unreadable, json::describe(error.codingPath), 0};
    } catch (const Failure&) {
        return StorageProblem{StorageProblem::Kind::unreadable, "", 0};
    }
    return std::nullopt;
}

std::optional<std::int64_t> version(std::string_view bytes) noexcept {
    try {
        VersionWatcher watcher;
        if (!parseWith(bytes, watcher) || !watcher.topLevelIsObject) return std::nullopt;
        return watcher.version;
    } catch (...) {
        // Only an exhausted allocator gets here; the peek never fails.
        return std::nullopt;
    }
}

}  // namespace icon_geometry::ModelInput
