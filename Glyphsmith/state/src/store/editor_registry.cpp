#include "editor_registry.hpp"

namespace glyphsmith_state {

const std::shared_ptr<DriverEditor>& EditorRegistry::find(const std::string& driverID) const {
    static const std::shared_ptr<DriverEditor> none;
    const auto kept = editors_.find(driverID);
    return kept == editors_.end() ? none : kept->second;
}

void EditorRegistry::keep(const std::string& driverID, std::shared_ptr<DriverEditor> editor) {
    editors_.emplace(driverID, std::move(editor));
}

std::optional<std::string> EditorRegistry::driverIDOf(const DriverEditor& editor) const {
    for (const auto& [id, kept] : editors_)
        if (kept.get() == &editor) return id;
    return std::nullopt;
}

}  // namespace glyphsmith_state
