#pragma once
// What a document's content type must offer so that scrivlet can load, save, compare and merge
// it without knowing what it is. Content is a plain value: copies never share visible state, so
// a history snapshot cannot be changed through the live content.

#include <concepts>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quarn::scrivlet {

// F::load(bytes, path)      -> std::expected<F, F::LoadError>: content from a file's whole bytes.
//                              The path is there for formats that need it.
// F::serialise(content)     -> the bytes a save writes; also what the history compares to
//                              decide whether content changed. May return std::string or a view
//                              into `content` (which then lives as long as `content` is unchanged).
// F::merge(base, ours, theirs, path) -> content, or nothing when the three do not merge.
template <typename F>
concept FileFormat = std::copyable<F> &&
    requires(const F& content, std::string_view bytes, const std::filesystem::path& path) {
    typename F::LoadError;
    { F::load(bytes, path) } -> std::same_as<std::expected<F, typename F::LoadError>>;
    { F::serialise(content) } -> std::convertible_to<std::string_view>;
    { F::merge(bytes, bytes, bytes, path) } -> std::same_as<std::optional<F>>;
};

// Whether two contents serialise to the same bytes. A format may answer this without serialising
// (F::same_bytes), which matters for large contents: the history asks it on every commit.
template <FileFormat F>
[[nodiscard]] bool same_serialised_bytes(const F& a, const F& b) {
    if constexpr (requires {
                      { F::same_bytes(a, b) } -> std::convertible_to<bool>;
                  }) {
        return F::same_bytes(a, b);
    } else {
        decltype(auto) ours = F::serialise(a);
        decltype(auto) theirs = F::serialise(b);
        return std::string_view(ours) == std::string_view(theirs);
    }
}

// The serialised bytes as an owned string, without a second copy when serialise already returns
// one.
template <FileFormat F>
[[nodiscard]] std::string serialised_bytes(const F& content) {
    if constexpr (std::same_as<decltype(F::serialise(content)), std::string>) {
        return F::serialise(content);
    } else {
        return std::string(std::string_view(F::serialise(content)));
    }
}

}  // namespace quarn::scrivlet
