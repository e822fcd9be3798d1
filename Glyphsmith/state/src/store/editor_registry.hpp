#pragma once

// The editors of a project's drivers, by driver id: each driver opened since
// the project was opened keeps its editor until the project goes.

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "glyphsmith_state/driver_editor.hpp"

namespace glyphsmith_state {

class EditorRegistry {
public:
    using Editors = std::map<std::string, std::shared_ptr<DriverEditor>>;

    const Editors& all() const { return editors_; }
    // The driver's editor, or null.
    const std::shared_ptr<DriverEditor>& find(const std::string& driverID) const;
    // Keeps the editor under the driver id; an id already kept keeps its editor.
    void keep(const std::string& driverID, std::shared_ptr<DriverEditor> editor);
    // Hands every editor to the caller, who decides when they go.
    Editors releaseAll() { return std::exchange(editors_, {}); }
    // The driver id under which the editor is kept; nothing for an editor not kept.
    std::optional<std::string> driverIDOf(const DriverEditor& editor) const;

private:
    Editors editors_;
};

}  // namespace glyphsmith_state
