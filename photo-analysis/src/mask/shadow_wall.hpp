#pragma once

#include <opencv2/core.hpp>
#include <vector>

namespace photo_analysis::cut_out {

// The wall a subject holds: within its hull, in a bend of it, and enclosed by
// it, and what a shadow peel took there that is the device's own.

// A shadow falls on the wall, outside the device casting it: what the peel
// took within the device's hull is the device's own shading, a highlight
// fading across its face, unless it runs on within the hull to a bend of the
// device that holds lit wall (`wall`: under a lamp's head, inside an L, past a
// thin part), `bendWallShare` as much as the peel beside it at least: a face's
// highlight brought to the wall's level is a patch, a bend mostly wall. Only
// beside a face of the wall's own hue (`ownHue`) may a highlight fade as a
// shadow would. `rest` is what the peel leaves; the strands of shadow it
// leaves along the edges, `strandWidth` pixels thick at most, do not count in
// the hull. What is the device's is given back; the count of pixels given
// back is returned.
int giveBackWithinHull(const cv::Mat& rest, cv::Mat& peeled, const cv::Mat& wall, const cv::Mat& ownHue,
                       int strandWidth, double bendWallShare);

// Wall the subject encloses is wall seen past a thin part when a shadow band
// parts it from the rest of the wall, and the peel, from both sides, crosses
// that band along `passageShare` of its rim at least. A stretch of the wall's
// level that the peel reaches only through a gap in a rim is a face of the
// wall's own shade, lit as the wall: it is the device's, and so is what the
// peel took from it (`peeled` loses it). `regions` labels what does not
// depart, `outer` tells the labels the border reaches, `origin` the label
// each peeled pixel was reached from.
struct Enclosed {
    cv::Mat faces;  // a face of the wall's own shade
    cv::Mat wall;   // wall seen past a thin part
};
Enclosed enclosedWall(const cv::Mat& departing, cv::Mat& peeled, const cv::Mat& regions, const std::vector<char>& outer,
                      const cv::Mat& origin, double passageShare);

}  // namespace photo_analysis::cut_out
