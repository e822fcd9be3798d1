#pragma once

#include <limits>
#include <optional>
#include <vector>

#include "icon_geometry/vector.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"
#include "photo_analysis/trace_sink.hpp"

// Quadrilaterals proposed on a photo: our stand-in for the platform's
// rectangle detection, behind an interface so that the scoring can be fed lists.
// Everything is in photo pixels, x right, y down.
namespace photo_analysis {

using icon_geometry::Vector2;

struct RectangleRequest {
    // The stretch of the photo looked at, by its edges, rounded outward to whole
    // pixels and clipped to the photo.
    struct Region {
        double left = 0;
        double top = 0;
        double right = std::numeric_limits<double>::max();
        double bottom = std::numeric_limits<double>::max();
    };

    double minimumAspectRatio = 0.2;  // short side ÷ long side
    double maximumAspectRatio = 1.0;
    double minimumSize = 0.25;        // smaller side ÷ the region's smaller side
    double quadratureTolerance = 35;  // degrees from a right angle at every corner
    double minimumConfidence = 0.4;
    int maximumObservations = 12;
    Region regionOfInterest;
};

// Corners in photo pixels, clockwise on screen from the one nearest the top left.
struct RectangleObservation {
    Vector2 topLeft;
    Vector2 topRight;
    Vector2 bottomRight;
    Vector2 bottomLeft;
    double confidence = 0;
};

class RectangleDetector {
public:
    virtual ~RectangleDetector() = default;
    // Up to maximumObservations quadrilaterals, best first; absent when the
    // detection fails. Each stage's decisions go to the trace under FACE_DEBUG.
    virtual std::optional<std::vector<RectangleObservation>> detect(const Photo& photo, const SubjectMask& mask,
                                                                    const RectangleRequest& request,
                                                                    const TraceSink& trace) const = 0;
};

// The tunables of our detector, the engine's own values by default. Lengths
// are in working pixels unless said otherwise, angles in degrees.
struct RectangleDetectorOptions {
    // Straight edges are looked for at about this many pixels on the region's
    // longer side: enough for a face's edges, small enough to stay fast on 12 MP.
    double workingSide = 1000;
    // Segments on one line: directions within this angle, ends within this
    // distance of it.
    double sameLineAngleDegrees = 2;
    double sameLineDistance = 2;
    // Pieces of one edge, joined end to end: directions within this angle,
    // overlapping by at most this much.
    double piecesAngleDegrees = 3;
    double piecesOverlap = 4;
    // The shortest line kept, as a share of the region's shorter side: a face's
    // side is longer, the strokes of its print mostly shorter.
    double shortestLineShare = 0.15;
    // The most lines kept from the image's edges, the longest first: a grille's
    // many ribs would otherwise make the closing of quadrilaterals explode.
    int maximumLines = 40;
    // Each side of a proposed quadrilateral must be carried this far along its
    // length by the one straight edge it was built from.
    double minimumSideSupport = 0.62;
    // The largest corner rounding allowed for, as a share of the shorter side:
    // past it a face is nearly a stadium, which the outline fit finds.
    double maximumRounding = 0.3;
    // Grey levels from the face's shade within which a point is of the face's
    // surface, and the share of such points beyond a line that makes the stretch
    // beyond more of the face rather than a side of the body.
    double faceShadeTolerance = 6;
    double minimumFaceShadedShare = 0.3;
    // Beyond a line, this much on the subject and this much of it in the face's
    // shade is plainly more of the face, whatever the edges along its sides show.
    double minimumOnSubjectShare = 0.95;
    double plainlyFaceShadedShare = 0.45;
    // The grid the shades are read on: this many steps across the region's
    // shorter side.
    double shadeGridSteps = 100;
    // How far outside the subject mask a faint edge may run: a segmentation's
    // edge strays a pixel or two inside the subject's.
    double maskSlack = 3;
    // How far a straight run of the subject's outline may stray from its chord:
    // at least this much (a mask's pixel steps), and this share of the region's
    // shorter side (a lens bends a face's side a little).
    double outlineTolerance = 2.5;
    double outlineToleranceShare = 0.01;
    // Neighbouring stretches of the outline turned by less than this are one
    // side when one line holds them both: a corner, even well rounded, turns by
    // more at each of its stretches.
    double mergeTurnDegrees = 15;
    // A run of the outline that the image's edges carry over this share of its
    // length is already a line of the image.
    double carriedRunShare = 0.8;
    // Corners this close belong to one outline, seen on two edges a pixel or two
    // apart (the photo's and the subject mask's).
    double sameOutline = 4;
    // How much larger a corner's rounding may look than the opposite corner's
    // along the same side, the nearer one seen larger in perspective.
    double perspective = 1.15;
    // The face's edge and the silhouette's edge behind it, beside a side of the
    // body: directions within this angle.
    double sideEdgesAngleDegrees = 6;
    // A strip beside the face with this much of it on the subject, and this much
    // of that within the shade tolerance of its own plane, is plain.
    double stripOnSubjectShare = 0.85;
    double plainStripShare = 0.8;
    // A quadrilateral around another holding at least this share of its area
    // and carried nearly as well (its weakest side within this margin) is the
    // face plus a strip of the body beside it.
    double innerAreaShare = 0.6;
    double supportMargin = 0.15;
    // Proposals whose corners all lie this close to an earlier one's repeat it.
    double duplicateDistance = 3;
    // The widest side of the body beside the face, as a share of the face and
    // the side together across: a box's side, seen turned, is narrower than its
    // face unless the box is deeper than wide.
    double widestSideShare = 0.4;
    // A face's edge against a side of the body of nearly its shade shows only
    // where the two shades part: carried over at least this share of its
    // straight stretch, it closes the face beside the side.
    double faintSideShare = 0.15;
    // How far to each side of an edge its shades are read, as a share of the
    // region's shorter side: beyond the edge's blur and a printed stroke's width.
    double stepReachShare = 0.015;
    // The shades beside an edge are averaged over stretches of it this long:
    // enough samples to hold a few grey levels clear of the noise.
    double stepStretch = 12;
    // Grey levels between an edge's two shades that make a step; and how far
    // the grey between them may stray beyond both before it is a stroke printed
    // along the edge rather than a step across it.
    double stepContrast = 3;
    double strokeTolerance = 3;
    // Where one surface meets another, the shade steps across the edge along
    // this share of its stretches read on the subject (a matte face against a
    // flat side, all along), and this share of its steps and strokes are steps.
    // A print's edge steps only where the print runs.
    double stepLengthShare = 0.5;
    double stepShare = 0.75;
    // Searching a strip for the edge where the shade steps most, the step at a
    // point is read this many working pixels to either side of it: beyond the
    // edge's blur.
    double stepDistance = 3;
    // An edge found by that search is tried in the quadrilaterals at least this
    // share of the largest one's area along the same side: the face and a side
    // of the body together, closed on other lines.
    double largeQuadShare = 0.9;
    // A side of the body bears no print: beyond the reach of the face's edge,
    // this much of it lies in one shade, where a face's strip holds a detail.
    // Its own edges recede from the face's, so the strip between the face's
    // lines and the silhouette holds some wall too: this much of it at least
    // is on the subject.
    double plainSideShare = 0.95;
    double sideOnSubjectShare = 0.6;
    // A box's side shows beside the face's edge nearer the camera, drawn at
    // least this much longer than the face's opposite edge: a face turned by
    // 15° at arm's length draws it several percent longer, one seen from the
    // front as long.
    double nearerEdgeRatio = 1.02;
};

// Ours: straight image edges (LSD segments of the grey region of interest) and
// straight runs of the subject's silhouette, closed into quadrilaterals.
class SegmentRectangleDetector final : public RectangleDetector {
public:
    explicit SegmentRectangleDetector(RectangleDetectorOptions options = {}) : options_(options) {}
    std::optional<std::vector<RectangleObservation>> detect(const Photo& photo, const SubjectMask& mask,
                                                            const RectangleRequest& request,
                                                            const TraceSink& trace) const override;

private:
    RectangleDetectorOptions options_;
};

}  // namespace photo_analysis
