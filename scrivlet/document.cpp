#include "scrivlet/document.hpp"

#include "scrivlet/paths.hpp"

namespace quarn::scrivlet {

std::string_view describe(OpenErrorKind kind) {
    switch (kind) {
        case OpenErrorKind::Read:
            return "could not read file";
        case OpenErrorKind::Parse:
            return "could not parse file";
    }
    return "could not open file";
}

std::string_view describe(const SaveError& error) {
    switch (error.kind) {
        case SaveErrorKind::NoPath:
            return "document has no path";
        case SaveErrorKind::Write:
            return "could not write file";
    }
    return "could not save file";
}

std::string display_name(const std::optional<std::filesystem::path>& path) {
    if (path) {
        if (std::optional<std::string> name = final_name(*path)) {
            return *name;
        }
    }
    return "Untitled";
}

std::string document_title(const std::optional<std::filesystem::path>& path, bool modified,
                           std::string_view suffix) {
    std::string title = modified ? "*" : "";
    title += display_name(path);
    title += " \u2014 ";
    title += suffix;
    return title;
}

std::filesystem::path dialog_directory_of(const std::optional<std::filesystem::path>& path) {
    if (path && !path->relative_path().empty()) {
        return path->parent_path();
    }
    std::error_code error;
    std::filesystem::path cwd = std::filesystem::current_path(error);
    return error ? std::filesystem::path() : cwd;
}

}  // namespace quarn::scrivlet
