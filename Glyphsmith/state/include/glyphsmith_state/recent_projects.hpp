#pragma once

// The recently opened Homey app folders, most recent first.

#include <QString>
#include <QStringList>

#include "glyphsmith_state/user_defaults.hpp"

namespace glyphsmith_state {

class RecentProjectsStoring {
public:
    virtual ~RecentProjectsStoring() = default;
    // Absolute folder paths in stored order; empty when nothing readable is stored.
    virtual QStringList loadRecentProjects() const = 0;
    virtual void saveRecentProjects(const QStringList& folders) = 0;
};

// Stored as an array of path strings under one key of the user defaults. Paths
// are made absolute and lexically clean; links are not resolved.
class UserDefaultsRecentProjects final : public RecentProjectsStoring {
public:
    static constexpr qsizetype maximumCount = 10;

    explicit UserDefaultsRecentProjects(UserDefaults defaults = UserDefaults(),
                                        QString key = QStringLiteral("recentProjects"));

    // A value that is not an array of strings reads as the empty list.
    QStringList loadRecentProjects() const override;
    // Keeps the first ten; replaces the stored value.
    void saveRecentProjects(const QStringList& folders) override;

private:
    UserDefaults defaults_;
    QString key_;
};

}  // namespace glyphsmith_state
