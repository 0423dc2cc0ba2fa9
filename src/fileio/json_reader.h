#pragma once
// The one JSON reader of the command-line tool's apply files and the emulator's configuration
// and state. Over the library's own parser it sets the limits a file from anywhere needs: a
// value nested deeper than `maxDepth` levels, a key given twice in one object and a number too
// large for a double are refused with the place they are at ("devices[2].channel"), and a
// message never repeats a long value whole.

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/text_encoding.h"

namespace trv81k {

// Deeper than any file of ours needs (an apply file is three levels deep).
inline constexpr std::size_t kMaxJsonDepth = 32;

// Why a text is not a document we read.
struct JsonProblem {
    std::string where;  // the place: "devices[2].channel"; empty for the whole text
    std::string what;   // "the number 1e99999 is out of range"

    // "devices[2].channel: the number 1e99999 is out of range".
    std::string text() const { return where.empty() ? what : where + ": " + what; }
};

namespace detail {

// Builds the document from the parser's events, checking the limits as it goes.
template <typename Json>
class LimitedJsonBuilder {
public:
    using number_integer_t = typename Json::number_integer_t;
    using number_unsigned_t = typename Json::number_unsigned_t;
    using number_float_t = typename Json::number_float_t;
    using string_t = typename Json::string_t;
    using binary_t = typename Json::binary_t;

    explicit LimitedJsonBuilder(std::size_t maxDepth) : maxDepth_(maxDepth) {}

    bool null() { return put(Json(nullptr)); }
    bool boolean(bool value) { return put(Json(value)); }
    bool number_integer(number_integer_t value) { return put(Json(value)); }
    bool number_unsigned(number_unsigned_t value) { return put(Json(value)); }
    bool number_float(number_float_t value, const string_t& /*text*/) { return put(Json(value)); }
    bool string(string_t& value) { return put(Json(std::move(value))); }
    bool binary(binary_t& value) { return put(Json(std::move(value))); }

    bool start_object(std::size_t /*elements*/) { return open(Json::object()); }
    bool key(string_t& name) {
        Json& object = *stack_.back();
        if (object.contains(name)) {
            return fail(place(), "the key \"" + ShownValue(name, 40) + "\" is given twice");
        }
        frames_.back().key = std::move(name);
        return true;
    }
    bool end_object() { return close(); }
    bool start_array(std::size_t /*elements*/) { return open(Json::array()); }
    bool end_array() { return close(); }

    bool parse_error(std::size_t /*position*/, const std::string& token,
                     const nlohmann::detail::exception& error) {
        if (error.id == 406) {  // a number beyond a double's range
            return fail(nextPlace(), "the number " + ShownValue(token, 24) + " is out of range");
        }
        std::string what = error.what();
        if (const auto end = what.find("] "); end != std::string::npos) {
            what.erase(0, end + 2);
        }
        return fail({}, "not valid JSON: " + ShownValue(what, 160));
    }

    bool failed() const { return failed_; }
    JsonProblem problem() const { return problem_; }
    Json take() { return std::move(root_); }

private:
    struct Frame {
        string_t key;           // in an object: the key of the value that comes next
        std::size_t index = 0;  // in an array: the index of the value that comes next
    };

    // Where the next value goes, as a path.
    std::string nextPlace() const {
        std::string path = place();
        if (!stack_.empty()) {
            if (stack_.back()->is_array()) {
                path += "[" + std::to_string(frames_.back().index) + "]";
            } else {
                path += (path.empty() ? "" : ".") + ShownValue(frames_.back().key, 40);
            }
        }
        return path;
    }
    // Where the innermost open value is, as a path.
    std::string place() const {
        std::string path;
        for (std::size_t i = 1; i < stack_.size(); ++i) {
            if (stack_[i - 1]->is_array()) {
                path += "[" + std::to_string(frames_[i - 1].index) + "]";
            } else {
                path += (path.empty() ? "" : ".") + ShownValue(frames_[i - 1].key, 40);
            }
        }
        return path;
    }

    // The value into its place; a pointer to where it now lives.
    Json* insert(Json value) {
        if (stack_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Json& parent = *stack_.back();
        if (parent.is_array()) {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        Json& slot = parent[frames_.back().key];
        slot = std::move(value);
        return &slot;
    }
    // Counts a finished value in its parent.
    void placed() {
        if (!stack_.empty() && stack_.back()->is_array()) {
            ++frames_.back().index;
        }
    }
    bool put(Json value) {
        insert(std::move(value));
        placed();
        return true;
    }
    bool open(Json container) {
        if (stack_.size() >= maxDepth_) {
            return fail(nextPlace(), "nested deeper than " + std::to_string(maxDepth_) + " levels");
        }
        stack_.push_back(insert(std::move(container)));
        frames_.emplace_back();
        return true;
    }
    bool close() {
        stack_.pop_back();
        frames_.pop_back();
        placed();
        return true;
    }
    bool fail(std::string where, std::string what) {
        if (!failed_) {
            failed_ = true;
            problem_ = {std::move(where), std::move(what)};
        }
        return false;
    }

    std::size_t maxDepth_;
    Json root_;
    std::vector<Json*> stack_;  // the open objects and arrays, outermost first
    std::vector<Frame> frames_;
    bool failed_ = false;
    JsonProblem problem_;
};

}  // namespace detail

// The document in `text`, or the first thing that keeps it from being read.
template <typename Json = nlohmann::json>
std::variant<Json, JsonProblem> ReadJson(std::string_view text,
                                         std::size_t maxDepth = kMaxJsonDepth) {
    detail::LimitedJsonBuilder<Json> builder(maxDepth);
    bool parsed = false;
    try {
        parsed = Json::sax_parse(text.begin(), text.end(), &builder);
    } catch (const nlohmann::json::exception& error) {
        return JsonProblem{{}, "not valid JSON: " + ShownValue(error.what(), 160)};
    }
    if (!parsed || builder.failed()) {
        JsonProblem problem = builder.problem();
        if (problem.what.empty()) {
            problem.what = "not valid JSON";
        }
        return problem;
    }
    return builder.take();
}

}  // namespace trv81k
