#include "icon_geometry/icon_drawing.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "drawing/ink_region.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/icon_drawing_coding.hpp"

namespace icon_geometry {
namespace {

// Region operations are batched: consecutive strokes and fills are collected and
// united in one call, because one union per element costs several times more on
// a realistic body.
class InkAccumulator {
public:
    void add(Region region) { pending_.push_back(std::move(region)); }

    // A hole clears only what was laid down before it; with nothing laid down yet
    // it has no effect.
    // A subtraction that fails leaves the ink as it was.
    void cut(const Region& region) {
        flush();
        if (!ink_) return;
        Region cleared = ink_->subtracting(region);
        if (!cleared.failed()) ink_ = std::move(cleared);
    }

    Region finish() {
        flush();
        return ink_ ? std::move(*ink_) : Region{};
    }

private:
    void flush() {
        if (pending_.empty()) return;
        // A union that fails leaves the ink as it was, without the pieces that
        // could not be added (a failed piece alone adds nothing either).
        std::erase_if(pending_, [](const Region& region) { return region.failed(); });
        if (ink_) pending_.insert(pending_.begin(), *ink_);
        Region united = Region::unionOf(pending_);
        if (!united.failed()) ink_ = std::move(united);
        pending_.clear();
    }

    std::optional<Region> ink_;
    std::vector<Region> pending_;
};

Region strokeRegion(const BezierPath& path, double width) {
    // A width that is not positive and finite inks nothing.
    if (!(width > 0) || !std::isfinite(width)) return Region{};
    return Region::stroked(path, width);
}

Region evenOddRegion(const BezierPath& path) {
    return Region::filled(path, FillRule::evenOdd);
}

BezierPath outlineOf(const Region& region) {
    if (region.isEmpty()) return {};
    return region.outline().droppingSmallSubpaths(IconDrawing::minimumSubpathSize);
}

}  // namespace

double StrokeWeight::width() const {
    struct Width {
        double operator()(Outer) const { return outerWidth; }
        double operator()(Inner) const { return innerWidth; }
        double operator()(Custom custom) const { return custom.width; }
    };
    return std::visit(Width{}, value);
}

const BezierPath& IconElement::path() const {
    return std::visit([](const auto& e) -> const BezierPath& { return e.path; }, value);
}

IconElement IconElement::withPath(BezierPath path) const {
    if (const Stroke* s = asStroke()) return stroke(std::move(path), s->weight);
    if (asFill()) return fill(std::move(path));
    return hole(std::move(path));
}

IconElement IconElement::applying(const AffineTransform& m) const {
    return withPath(path().applying(m));
}

Region inkRegion(const IconBody& body) {
    InkAccumulator ink;
    for (const IconElement& element : body.elements) {
        if (const IconElement::Stroke* s = element.asStroke())
            ink.add(strokeRegion(s->path, s->weight.width()));
        else if (const IconElement::Fill* f = element.asFill())
            ink.add(evenOddRegion(f->path));
        else
            ink.cut(evenOddRegion(element.path()));
    }
    return ink.finish();
}

namespace {

// What the occluders of bodies i + 1 … n − 1 hide, gathered from the front body
// back so that one body's outline and the whole drawing's agree exactly.
class HiddenRegion {
public:
    void add(const IconBody& body) {
        if (!body.occluder) return;
        Region region = evenOddRegion(*body.occluder);
        if (region.failed()) return;
        if (!hidden_) {
            hidden_ = std::move(region);
            return;
        }
        Region united = hidden_->united(region);
        if (!united.failed()) hidden_ = std::move(united);
    }
    BezierPath visible(const IconBody& body) const {
        Region ink = inkRegion(body);
        if (hidden_ && !ink.isEmpty()) {
            // A subtraction that fails shows the body whole rather than not at all.
            Region visible = ink.subtracting(*hidden_);
            if (!visible.failed()) ink = std::move(visible);
        }
        return outlineOf(ink);
    }

private:
    std::optional<Region> hidden_;
};

}  // namespace

BezierPath IconDrawing::visibleOutline(std::size_t index) const {
    if (index >= bodies.size()) return {};
    HiddenRegion hidden;
    for (std::size_t j = bodies.size(); --j > index;) hidden.add(bodies[j]);
    return hidden.visible(bodies[index]);
}

std::vector<BezierPath> IconDrawing::path() const {
    std::vector<BezierPath> outlines(bodies.size());
    HiddenRegion hidden;
    for (std::size_t i = bodies.size(); i-- > 0;) {
        outlines[i] = hidden.visible(bodies[i]);
        hidden.add(bodies[i]);
    }
    std::vector<BezierPath> result;
    for (BezierPath& outline : outlines)
        if (!outline.isEmpty()) result.push_back(std::move(outline));
    return result;
}

}  // namespace icon_geometry

using namespace icon_geometry;

std::size_t std::hash<StrokeWeight>::operator()(const StrokeWeight& weight) const {
    Hasher h;
    h.combine(weight.caseIndex());
    if (const auto* custom = std::get_if<StrokeWeight::Custom>(&weight.value)) h.combine(custom->width);
    return h.state;
}

std::size_t std::hash<IconElement>::operator()(const IconElement& element) const {
    Hasher h;
    h.combine(element.caseIndex());
    h.combine(std::hash<BezierPath>{}(element.path()));
    if (const auto* s = element.asStroke()) h.combine(std::hash<StrokeWeight>{}(s->weight));
    return h.state;
}

std::size_t std::hash<IconBody>::operator()(const IconBody& body) const {
    Hasher h;
    h.combine(body.elements.size());
    for (const IconElement& e : body.elements) h.combine(std::hash<IconElement>{}(e));
    if (body.occluder) {
        h.combine(std::size_t{1});
        h.combine(std::hash<BezierPath>{}(*body.occluder));
    } else {
        h.combine(std::size_t{0});
    }
    return h.state;
}

std::size_t std::hash<IconDrawing>::operator()(const IconDrawing& drawing) const {
    Hasher h;
    h.combine(drawing.bodies.size());
    for (const IconBody& b : drawing.bodies) h.combine(std::hash<IconBody>{}(b));
    return h.state;
}

namespace icon_geometry::json {

StrokeWeight Coding<StrokeWeight>::decode(const Decoder& d) {
    const auto [name, payload] = d.singleCase({"outer", "inner", "custom"});
    if (name == "custom") return StrokeWeight::custom(payload.required<double>("_0"));
    return name == "outer" ? StrokeWeight::outer() : StrokeWeight::inner();
}

Tree Coding<StrokeWeight>::encode(const StrokeWeight& weight) {
    switch (weight.caseIndex()) {
        case 0:
            return encodeCase("outer", Tree::object());
        case 1:
            return encodeCase("inner", Tree::object());
        default: {
            Tree t = Tree::object();
            t["_0"] = weight.width();
            return encodeCase("custom", std::move(t));
        }
    }
}

IconElement Coding<IconElement>::decode(const Decoder& d) {
    const auto [name, payload] = d.singleCase({"stroke", "fill", "hole"});
    if (name == "stroke")
        return {IconElement::Stroke{payload.required<BezierPath>("_0"), payload.required<StrokeWeight>("weight")}};
    if (name == "fill") return IconElement::fill(payload.required<BezierPath>("_0"));
    return IconElement::hole(payload.required<BezierPath>("_0"));
}

Tree Coding<IconElement>::encode(const IconElement& element) {
    Tree t = Tree::object();
    t["_0"] = json::encode(element.path());
    if (const auto* s = element.asStroke()) {
        t["weight"] = json::encode(s->weight);
        return encodeCase("stroke", std::move(t));
    }
    return encodeCase(element.asFill() ? "fill" : "hole", std::move(t));
}

IconBody Coding<IconBody>::decode(const Decoder& d) {
    return {d.required<std::vector<IconElement>>("elements"), d.optional<BezierPath>("occluder")};
}

Tree Coding<IconBody>::encode(const IconBody& body) {
    Tree t = Tree::object();
    t["elements"] = json::encode(body.elements);
    if (body.occluder) t["occluder"] = json::encode(*body.occluder);
    return t;
}

IconDrawing Coding<IconDrawing>::decode(const Decoder& d) {
    return {d.required<std::vector<IconBody>>("bodies")};
}

Tree Coding<IconDrawing>::encode(const IconDrawing& drawing) {
    Tree t = Tree::object();
    t["bodies"] = json::encode(drawing.bodies);
    return t;
}

}  // namespace icon_geometry::json
