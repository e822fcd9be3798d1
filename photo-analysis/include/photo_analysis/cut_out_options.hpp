#pragma once

#include <cstddef>
#include <numbers>

// The tunables of the cut-out, one struct a stage, each with why it has its
// value. Callers pass them in (the app, the tool and the tests run the same
// pipeline with the settings they choose); the defaults are the engine's own.
// Shares of "the longer side" are of the image the stage works on; levels are
// 8-bit colour units.
namespace photo_analysis::cut_out {

// The sizes the cut-out works at.
struct SizeOptions {
    // The subject is found with the photo's longer side shrunk to this: GrabCut
    // and the wall's field are fast there, and a device's outline still a step
    // of a pixel or two.
    int workingSide = 320;
    // Its edges are placed and snapped to the photo's own at this longer side:
    // fine enough for the largest driver image.
    int refineSide = 1024;
};

// A photo with real transparency: what it shows is what is opaque.
struct AlphaOptions {
    // Its border is transparent, all but this share of it...
    double opaqueBorderShare = 0.05;
    // ...where a pixel counts as transparent under this alpha.
    int transparentAlpha = 16;
};

// A product shot: the device alone on a background of one flat colour, as a
// maker's photo on white is, its border within a few levels of that colour.
struct ProductShotOptions {
    // The border is that colour within this many levels (the distance of each
    // pixel from the border's median colour)...
    double flatLevels = 3.0;
    // ...all but this share of it: a part of the device crossing the border, or
    // the ringing JPEG leaves beside it.
    double strayShare = 0.03;
    // What departs from that colour by more than this many levels is the
    // device: twice the border's flatness, so that a white product a few levels
    // under the background's white still stands out.
    double tolerance = 6.0;
};

// GrabCut, one stage of the cut-out.
struct GrabCutOptions {
    // A couple of iterations settle its colour models from seeds this good.
    int iterations = 2;
    // On a textured wall it starts from a band of probable background this share
    // of the working side wide.
    double borderBand = 0.03;
    // The standard deviation of the fixed noise added there, 8-bit units: on a
    // plain band the colour models grow so narrow that JPEG ringing reads as subject.
    double dither = 6.0;
};

// The wall's field, fitted to the border band.
struct FieldOptions {
    // The band along the border the field is fitted to, a share of the working
    // side: a device rarely reaches into it.
    double band = 0.04;
    // Band noise about the field above which a wall is textured (wood, stone,
    // fabric) and the field does not stand for it; plain and graded walls stay
    // within a few levels.
    double texturedNoise = 8.0;
    // Departures are averaged over this many working pixels: noise makes no subject.
    double smoothing = 1.0;
    // Least squares over the band, then again without the samples that strayed:
    // three passes settle a field that a subject crossing the border bent.
    int fitPasses = 3;
    // A sample more than this many spreads off the fit is no wall.
    double outlierSpreads = 3.0;
    // The first cut, about the band's median colour, before any fit: wide,
    // since a graded wall spreads far from its median...
    double medianCutSpreads = 4.0;
    // ...and never under a few levels, for a wall of one colour to the level.
    double medianCutFloor = 4.0;
    // A spread is never taken under half a level: on a flat wall the rounding
    // to whole levels alone would drop samples as outliers.
    double leastSpread = 0.5;
    // A wall departs from its field by its noise alone; the subject by more
    // than this many spreads of it...
    double departureSpreads = 4.0;
    // ...and never by less than a few levels, where the noise is all but nil.
    double minimumDeparture = 3.0;
};

// What departs from the field.
struct DepartureOptions {
    // Averaging spreads a strong edge's departure onto the wall beside it: a
    // pixel must also depart by this share of the threshold on its own.
    double ownShare = 0.5;
};

// The soft shadows taken off the field's subject.
struct ShadowOptions {
    // A shadow leaves at least this share of the wall's brightness: darker is
    // a dark device, not its shade.
    double darkest = 0.4;
    // A shadow is never brighter than the wall it falls on.
    double lightest = 1.0;
    // A shadow darkens every channel alike: what is left of a pixel's colour
    // once the wall's, scaled, is taken off lies within this many levels...
    double tintLevels = 3.0;
    // ...or this many spreads of the wall's noise. A device of nearly the wall's
    // shade (cream on white) leaves more: its own tint.
    double tintNoiseSpreads = 2.5;
    // The grey is smoothed over this many pixels before slopes are read, so
    // that noise makes no sharp edges.
    double edgeSmoothing = 0.7;
    // A slope of at least this many levels a pixel...
    double sharpSlope = 1.0;
    // ...that is this share of the rise over `riseWindow` pixels around is a
    // device's outline, a step of a pixel or two that a shadow never has.
    double sharpShare = 0.3;
    int riseWindow = 5;
    // A soft shadow is a ramp: at the working size its brightness changes by at
    // least this many levels a pixel, where a device's flat side does not...
    double ramp = 0.35;
    // ...and by more than this many spreads of the wall's noise, which makes
    // slopes too.
    double rampNoiseSpreads = 0.8;
    // A shadow's core may be flat, past its ramp: a flat stretch of the wall's
    // shade is taken when the ramp taken borders this share of its rim; a
    // device's flat face is bordered by its edge.
    double coreShare = 0.3;
    // What the lit wall reaches through the wall's shade beyond the peel is
    // shadow when it meets no device but of another hue, this share of the
    // device it meets at least...
    double foreignDevice = 0.9;
    // ...a colour being of another hue when what is left of it, once the wall's
    // colour, scaled, is taken off, is this share of its own: a neutral device
    // on a neutral wall is of the wall's hue, its side of its shadow's shade...
    double anotherHue = 0.08;
    // ...and unless an edge against the wall runs along this share of its rim:
    // a device's face meets the wall along its edge, a shadow softly.
    double wallEdgeShare = 0.3;
    // A shadow's faint outer fringe is all but flat: a pixel darker than the
    // wall by under this many departure thresholds passes without the ramp.
    double fringeSpreads = 1.5;
    // ...within this share of the longer side of the subject's rim: deeper in,
    // a flat stretch barely darker than the wall is a device of nearly its shade.
    double fringeDepthShare = 0.01;
    // A shadow deepens towards the device: on the way in a pixel may be lighter
    // than the darkest met before it by this many spreads of the wall's noise...
    double riseNoiseSpreads = 3.0;
    // ...and never by less than this many levels, where the noise is all but nil.
    double leastRise = 1.5;
    // The foot of a shadow, as steep as an edge where it meets a lighter device,
    // reaches this share of the longer side in from where the ramp stopped.
    double footDepthShare = 0.01;
    // The strands of a shadow left along a device's edges, and the blur of its
    // edge, are at most this many pixels thick: the device's hull is taken
    // without them, and only what lies deeper in it may be its face.
    int strandWidth = 2;
    // A stretch of the peel within the hull lies in a bend of the device when it
    // runs on to lit wall within the hull of at least this share of its own
    // size: a bend is mostly wall, a face's highlight at the wall's level a patch.
    double bendWallShare = 0.1;
    // Wall the subject encloses is wall seen past a thin part when the peel
    // crosses the shadow band parting it from the rest of the wall along this
    // share of its rim: a lit pocket between an arm and its shadow is bounded
    // by the shadow along a whole side, a face of the wall's shade only meets
    // the shadow through a gap in its rim.
    double passageShare = 0.2;
    // A shadow surely no device darkens the wall plainly, by this many departure
    // thresholds: what barely departs may be a face of nearly its shade.
    double castDepartures = 2.0;
    // A peel taking more than this share of the subject took the subject
    // itself, ramp and all...
    double largestPeel = 0.6;
    // ...unless it leaves this share of it in colours other than the wall's
    // shade: a device, with a shadow larger than itself (a thin lamp's).
    double leastOwnColours = 0.1;
    // A peel taking this share of the subject at least met no outline of its
    // own anywhere: the subject is a shadow alone, its device departing less
    // from the wall than its shadow does (a pale device on a white wall), and
    // the device is sought in what else departs.
    double onlyShade = 0.98;
    // Shadows alone are passed over this many times at most.
    int shadowsAlone = 2;
    // A wall darker than this (the sum of its channels) casts no shadow one
    // could tell from noise.
    double darkestWall = 30;
};

// The labels GrabCut starts from, seeded from the field's subject.
struct SeedOptions {
    // Certain background: wall met from the border that departs by under this
    // share of the departure threshold.
    double certainBackgroundShare = 0.5;
    // Certain subject: the field's subject a hundredth of the longer side (at
    // least two pixels) in from its edge, clear of its blurred rim.
    int coreDepthDivisor = 100;
};

// The field's subject taken again at the refining size.
struct FinerEdgeOptions {
    // At the refining size the departure is averaged over at most this many
    // pixels: finer, or the edge it places is as blurred as the working one.
    double smoothing = 0.7;
    // The edge where the departure is this share of the subject's own beside
    // it: the middle of a blurred step, past the ringing JPEG leaves around it...
    double stepShare = 0.5;
    // ...the subject's own read within this many working pixels.
    double stepReach = 1.5;
    // Within this many working pixels of a shadow taken off, the edge stays
    // where the working size placed it: the shadow departs from the wall as
    // much as the device, and the threshold would take it back.
    int shadowMargin = 2;
};

// The gaps bridged in an outline's edges.
struct BridgeOptions {
    // Past this many loose ends the edges are a texture's, left as they are.
    std::size_t mostLooseEnds = 400;
    // Ends that run on towards each other within this angle are one straight
    // edge broken where face and wall meet in the same shade.
    double straightGapAngle = 20.0 * std::numbers::pi / 180;
    // An end's heading is read over this many pixels behind it.
    int endReach = 5;
    // Two edges that, run on, meet at a corner at least this far from straight:
    // a rounded corner lost in the wall's shade, each edge having followed
    // part of its rounding.
    double leastCornerAngle = 35.0 * std::numbers::pi / 180;
    // Two edges that run the same way within this angle...
    double sideTurn = 45.0 * std::numbers::pi / 180;
    // ...their ends side by side within this one: a side lost whole between them.
    double sideAngle = 30.0 * std::numbers::pi / 180;
};

// The soft shade beside an outline that holds most of the subject.
struct SoftShadeOptions {
    // A piece is edged when this share of its rim against the wall...
    double leastEdgedRim = 0.5;
    // ...lies within this share of the longer side of an edge: a side of the
    // body meets the wall along an edge, a soft shadow along none.
    double edgeSnapShare = 0.005;
    // Unedged, it is the wall's shade when its colour lies within these many
    // levels...
    double shadeColourLevels = 4.0;
    // ...or this share of the wall's, of the wall's beside it scaled down.
    double shadeColourShare = 0.08;
    // Only a piece that meets the wall along this share of its edge at least:
    // one the outline's own edges wrap lies within the device.
    double wallRimShare = 0.5;
};

// A side of another hue just outside a closed outline.
struct HueSideOptions {
    // Such a side reaches this share of the longer side out from the outline.
    double reachShare = 0.006;
    // It departs from every blend of the wall and the subject, and from the
    // wall's shade, by more than this many levels, and is lighter than the
    // wall in some channel by more than half as many: a shadow darkens every
    // channel, whatever the colour of its light.
    double levels = 16.0;
};

// The closed outline of edges around the subject.
struct OutlineOptions {
    // The grey is smoothed over this many refining pixels before its edges are found.
    double smoothing = 1.0;
    // Edges where the slope passes these multiples of the wall's own slopes
    // (the border band's median: noise and light falling off)...
    double strongEdgeSlopes = 6.0;
    double weakEdgeSlopes = 3.0;
    // ...and never under this many levels a pixel (twice as many for the
    // strong ones), where the wall is flat to the level.
    double leastEdgeSlope = 1.5;
    // The wall's slopes are read along a band of this share of the longer side.
    double wallBand = 0.04;
    // An outline broken where face and wall meet in the same shade (a
    // highlight, a corner's rounding) is closed across gaps up to this share
    // of the longer side...
    double gapShare = 0.04;
    // ...up to this one where the two edges run on towards each other...
    double straightGapShare = 0.2;
    // ...and across a side lost whole up to this one.
    double sideGapShare = 0.4;
    // Corners and sides are not drawn across the subject deeper than this share
    // of the longer side in from its edge: there edges of its print or its
    // parts end, not of its outline.
    double bodyDepthShare = 0.01;
    // The subject may run this many pixels past the outline's edge and still lie within it.
    int slack = 2;
    // An outline that holds this share of the subject holds all of it, and
    // bounds it on the photo's own edges...
    double wholeShare = 0.97;
    // ...one that holds this share holds most of it (the face beside a side
    // whose edge with the wall stays open).
    double partShare = 0.5;
    // An outline this much within the hull of a subject it holds little of
    // lies inside the subject: the subject is the device's shade and side around it.
    double shadeAroundShare = 0.95;
    // What the outline adds counts only in stretches thicker than this share
    // of the longer side: slivers along the subject's edge are where a broken
    // outline runs a pixel outside it...
    double sliverShare = 0.003;
    // ...and only when they come to this share of the subject.
    double leastAddedShare = 0.02;
    // The subject may not shrink below this share of itself, less the soft
    // shade taken off...
    double leastKeptShare = 0.85;
    // ...and the shade taken off may not come to more than this share of what
    // stays: a shadow is smaller than the device casting it, and more of the
    // wall's colour, darker, than stays was the device itself, lit as the wall.
    double largestShadeShare = 1.0;
    // ...nor grow past this many times its area: such an outline is the room's.
    double largestGrowth = 6.0;
    // Nor may it come nearer the border than this share of the longer side:
    // the wall's own edges close no device.
    double borderShare = 0.01;
};

// The plausibility gate, which judges every subject whatever found it.
struct GateOptions {
    // A device fills at least this share of the photo...
    double minimumShare = 0.01;
    // ...and leaves at least a tenth of it to the wall.
    double maximumShare = 0.90;
    // A border line counts as held from this share of it on.
    double borderHeld = 0.10;
    // A device cut by the frame holds one border, or two at a corner; three or
    // four held borders are the background itself.
    int maximumBordersHeld = 2;
    // Two opposite borders held this far: a band of wall across the photo.
    double bandHeld = 0.5;
    // The largest region against all the subject found: less, and it was
    // scattered pieces, as GrabCut finds in noise.
    double minimumKeptShare = 0.5;
    // Against the wall right next to it, the subject's edge differs in mean
    // colour by at least this many levels...
    double minimumContrast = 3.0;
    // ...and by this many spreads of that wall, so that a texture does not
    // stand out from itself.
    double contrastSpreads = 1.0;
    // The edge and the wall are compared over windows reaching a sixtieth of
    // the longer side (at least two pixels) each way.
    int reachDivisor = 60;
    // On a textured wall (the wall's spread beside the outline above this: a
    // plain wall's shadow ramp or grain stays well under it, wood and stone
    // reach it)...
    double texturedSpread = 12.0;
    // ...a device is made of colours the wall lacks: at least this share of
    // its colours of bins the rest of the photo holds less of. A piece of the
    // texture is the same stuff as the wall around it.
    double minimumForeignColours = 0.85;
};

// The subject brought back to the photo's size.
struct RefineOptions {
    // The guided filter's radius at a refining side of `radiusSide` pixels, in
    // proportion below: it snaps the mask to edges a pixel or two wide there.
    double radius = 4.0;
    double radiusSide = 1024.0;
    // Its regularisation: grey steps of a few levels still count as edges.
    double eps = 1e-3;
};

// The weighed outline of a flat wall's mask.
struct WeighingOptions {
    // A step blurred over a pixel or two at 1200 pixels, and in proportion
    // above: one pixel of reach for every this many of the longer side.
    double sidePerReach = 400.0;
};

// The GrabCut segmenter's choice between its routes.
struct RouteOptions {
    // GrabCut's result must agree with the field's subject by this overlap
    // over union, or it strayed into a faint subject's colours.
    double minimumAgreement = 0.7;
    // A subject with shadows taken off over more than this share of its area
    // keeps the edges GrabCut gave it beside them: the finer threshold would
    // take the shadow back.
    double shadedShare = 0.02;
    // On a textured wall, the least share of the inside in colours the border
    // lacks: a thin device, a strip or a cable, fills a few hundredths of the
    // frame, where a stone's stray grains fill a few thousandths.
    double minimumForeignShare = 0.008;
};

struct CutOutOptions {
    SizeOptions sizes;
    AlphaOptions alpha;
    ProductShotOptions productShot;
    GrabCutOptions grabCut;
    FieldOptions field;
    DepartureOptions departures;
    ShadowOptions shadows;
    SeedOptions seeds;
    FinerEdgeOptions finerEdge;
    OutlineOptions outline;
    BridgeOptions bridges;
    SoftShadeOptions softShade;
    HueSideOptions hueSide;
    GateOptions gate;
    RefineOptions refine;
    WeighingOptions weighing;
    RouteOptions routes;
};

}  // namespace photo_analysis::cut_out

namespace photo_analysis {
using cut_out::CutOutOptions;
}  // namespace photo_analysis
