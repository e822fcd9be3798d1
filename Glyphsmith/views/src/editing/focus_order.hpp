#pragma once

// Keyboard focus through the inspector in reading order: the controls as their
// layouts place them, top to bottom, whatever order they were made in (rows of
// a list are made again when the list changes, and would otherwise come last).

#include <QPointer>
#include <QWidget>
#include <vector>

namespace glyphsmith_views {

// The controls that take focus by Tab under `root`, in the order its layouts show them.
std::vector<QWidget*> readingOrder(QWidget* root);
// Makes the focus chain follow readingOrder(root); nothing when the order is
// the one set last time (`last`).
void keepReadingOrder(QWidget* root, std::vector<QPointer<QWidget>>& last);

}  // namespace glyphsmith_views
