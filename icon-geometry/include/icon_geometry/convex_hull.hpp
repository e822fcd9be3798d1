#pragma once

// The convex hull of points in the plane, by the monotone chain.

#include <algorithm>
#include <vector>

#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// The hull of the items, placed by `position`: sorted by x then y (equal points
// keep their order), then the lower chain from the smallest point and the upper
// chain back, without repeating the ends. A middle point whose turn (the cross
// product of the two edges from the previous hull point) is at most
// `collinearTolerance` is dropped. Two items or fewer come back sorted.
template <class Item, class Position>
std::vector<Item> convexHull(std::vector<Item> items, Position&& position, double collinearTolerance = 0) {
    std::stable_sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        const Vector2 p = position(a);
        const Vector2 q = position(b);
        return p.x != q.x ? p.x < q.x : p.y < q.y;
    });
    if (items.size() <= 2) return items;
    const auto chain = [&](auto first, auto last) {
        std::vector<Item> result;
        for (auto it = first; it != last; ++it) {
            while (result.size() >= 2) {
                const Vector2 origin = position(result[result.size() - 2]);
                if ((position(result.back()) - origin).cross(position(*it) - origin) > collinearTolerance) break;
                result.pop_back();
            }
            result.push_back(*it);
        }
        return result;
    };
    std::vector<Item> lower = chain(items.begin(), items.end());
    std::vector<Item> upper = chain(items.rbegin(), items.rend());
    lower.pop_back();
    upper.pop_back();
    lower.insert(lower.end(), upper.begin(), upper.end());
    return lower;
}

inline std::vector<Vector2> convexHull(std::vector<Vector2> points) {
    return convexHull(std::move(points), [](Vector2 p) { return p; });
}

}  // namespace icon_geometry
