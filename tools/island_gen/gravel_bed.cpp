// gravel_bed.cpp — the gravel bed that runs from the foot of the rocks down to the shore,
// with the stream's valley floor along its middle.
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/island_gen/ground.h"
#include "tools/island_gen/island.h"
#include "tools/island_gen/surface.h"

namespace {

// How far the gravel bed's top edge bows away from the rocks between its ends.
constexpr double kTopBow = 4.0;

}  // namespace

// Five lines from the bed's top near the rocks to the shore; their heights come once the
// ground's shape is known.
void PlaceGravelBed(Island& isl) {
    isl.gravelTopWest = AddPoint(-34, 33.9963, 31);
    isl.coastGravelW  = AddPoint(-52.4699, -1.372, 121.0);
    isl.shoreA        = AddGiven(kGravelFirst[1]);
    isl.shoreB        = AddPoint(-26, -1.371, 125.2);
    isl.shoreF        = AddPoint(-6, -1.368, 123.5);
    isl.coastGravelE  = AddPoint(31.5679, -1.365, 117.0);
    const int gravelTopWest = isl.gravelTopWest, coastGravelW = isl.coastGravelW, shoreA = isl.shoreA,
              shoreB = isl.shoreB, shoreF = isl.shoreF, coastGravelE = isl.coastGravelE;
    Loop &lineL = isl.lineL, &lineA = isl.lineA, &lineB = isl.lineB, &lineF = isl.lineF, &lineR = isl.lineR;
    int  rowA          = AddGiven(kGravelFirst[0]);
    int  rowB          = AddGiven(kGravelFirst[2]);
    V3   topE          = {19.5, 0, 7.1389};
    V3   topW          = g_points[gravelTopWest];
    g_fixed.insert({gravelTopWest, coastGravelW, shoreB, shoreF, coastGravelE});
    for (int i = 0; i <= 8; ++i) {
        double t = i / 8.0;
        if (i == 0) lineL.push_back(gravelTopWest);
        else if (i == 8) lineL.push_back(coastGravelW);
        else {
            V3 p = topW + (g_points[coastGravelW] - topW) * t;
            lineL.push_back(AddPoint(p.x - 4 * std::sin(t * kPi), 0, p.z));
        }
        V3 q = topE + (g_points[coastGravelE] - topE) * t;
        lineR.push_back(i == 8 ? coastGravelE : AddPoint(q.x + 3 * std::sin(t * kPi), 0, q.z));
    }
    // The bed's top edge bows away from the rocks: were its corners in line (the valley
    // floor's first point lies on the straight edge), the terrain above it would close the
    // gap with a face standing on edge; bowed the other way, the terrain between the edge
    // and the rock foot gets too narrow for its height.
    V3 topA = topW + (topE - topW) * 0.3, topB = topW + (topE - topW) * 0.6;
    {
        V3     along = topE - topW;
        double len   = std::hypot(along.x, along.z);
        V3     bow   = {-along.z / len, 0, along.x / len};   // across the edge, away from the rocks
        topA         = topA + bow * kTopBow;
        topB         = topB + bow * kTopBow;
    }
    for (int i = 0; i <= 10; ++i) {
        if (i == 9) {
            lineA.push_back(rowA), lineB.push_back(rowB);
            continue;
        }
        if (i == 10) {
            lineA.push_back(shoreA), lineB.push_back(shoreB);
            continue;
        }
        double t = i / 9.0;
        V3     a = topA + (g_points[rowA] - topA) * t, b = topB + (g_points[rowB] - topB) * t;
        lineA.push_back(AddPoint(a.x, 0, a.z));
        lineB.push_back(AddPoint(b.x + 2 * std::sin(t * kPi), 0, b.z));
    }
    const double floorLine[10][3] = {{11.5, 10.7, 24.0}, {9.5, 20, 21.8},  {7, 30, 19.6},      {4.5, 40, 17.4},
                                     {2, 50, 15.3},      {-0.5, 60, 13.4}, {-4, 69, 11.8},     {-11.2, 78.6, 10.0},
                                     {-13.6, 84.5, 8.4}, {-15.6, 90.4, 6.7}};
    for (size_t k = 0; k < 10; ++k) {
        const auto& f = floorLine[k];
        int         i = AddPoint(f[0], f[2], f[1]);
        g_fixed.insert(i);
        lineF.push_back(i);
    }
    lineF.push_back(shoreF);
}

void RaiseGravelBed(Island& isl) {
    Loop &lineL = isl.lineL, &lineA = isl.lineA, &lineB = isl.lineB, &lineF = isl.lineF, &lineR = isl.lineR;
    for (Loop* line : {&lineL, &lineA, &lineB, &lineR})
        for (int i : *line)
            if (!g_fixed.count(i)) g_points[i].y = std::min(Ground(g_points[i].x, g_points[i].z), 33.2);
    // The east bank stays low beside the stream's lower reach, so the water lies in its bed.
    for (int k = 3; k <= 7; ++k) {
        double floor = g_points[lineF[size_t(k + 2)]].y;
        g_points[lineR[size_t(k)]].y = std::min(g_points[lineR[size_t(k)]].y, floor + 2.0);
    }
    // The floor follows the valley down to where the stream's given banks take over.
    for (int k = 0; k < 7; ++k) g_points[lineF[size_t(k)]].y = std::min(Ground(g_points[lineF[size_t(k)]].x, g_points[lineF[size_t(k)]].z), 25.2) - 0.3;
}

void CutGravelBed(Island& isl) {
    const Loop &lineL = isl.lineL, &lineA = isl.lineA, &lineB = isl.lineB, &lineF = isl.lineF, &lineR = isl.lineR;
    std::vector<Tri>& gravel = isl.gravel;
    gravel = ZipStrip(lineL, lineA);
    for (int k = 0; k < 10; ++k) {
        if (k == 9) {
            gravel.push_back({lineA[9], lineA[10], lineB[9]});
            gravel.push_back({lineA[10], lineB[10], lineB[9]});
        } else {
            gravel.push_back({lineA[k], lineA[k + 1], lineB[k]});
            gravel.push_back({lineA[k + 1], lineB[k + 1], lineB[k]});
        }
    }
    for (const Tri& t : ZipStrip(lineB, lineF)) gravel.push_back(t);
    for (const Tri& t : ZipStrip(lineF, lineR)) gravel.push_back(t);
    FaceUp(gravel);
}

Group GravelGroup(std::vector<Tri> gravel) {
    Group groupGravel = SmoothGroup("meshGravel", 2, gravel, kGravelFirst, 0.713, 0.9981);
    // Gravel: laid from above at nearly one scale across and along the bed, so the pebbles
    // keep their shape; whole turns per triangle keep the coordinates in the stated ranges.
    {
        std::vector<double> xs, zs;
        for (size_t k = 3; k < groupGravel.rows.size(); ++k) xs.push_back(groupGravel.rows[k].p.x), zs.push_back(groupGravel.rows[k].p.z);
        double              uScale = 0, vScale = 0;
        std::vector<double> us = FitAxisExactly(xs, 1.0 / 60, -0.4838, 1.4769, &uScale);
        std::vector<double> vs = FitAxisExactly(zs, uScale, -0.0484, 1.1589, &vScale);
        if (us.empty() || vs.empty()) Fail(std::string("gravel coordinates: no scale fits the stated ranges ") + (us.empty() ? "across" : "along"));
        for (size_t k = 3; k < groupGravel.rows.size(); ++k) groupGravel.rows[k].u = us[k - 3], groupGravel.rows[k].v = vs[k - 3];
        std::printf("gravel texture: %.2f units per turn across, %.2f along\n", 1 / uScale, 1 / vScale);
    }
    return groupGravel;
}
