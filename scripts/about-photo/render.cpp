// Renders the About window's photograph: a wooden chess board in perspective with a
// few turned pieces, lit by one large soft box and a dim studio surround, seen
// through a lens with a shallow depth of field.
//
// A small path tracer: the pieces are surfaces of revolution (a turned profile
// cut into thin cone frusta, with normals blended along the profile so they look
// smooth), plus spheres and boxes for the crowns, the cross and the bishop's slot.
// The soft box is sampled directly at every diffuse bounce, and its reflection in
// the first surface a ray meets gives the highlights.
//
// Every pixel draws its random numbers from its own seed, so the picture is the
// same whatever the number of threads.
//
// Usage: render OUTPUT.jpg [WIDTH HEIGHT SAMPLES]

#include <QCoreApplication>
#include <QImage>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <thread>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kHuge = 1e30;

// ---------------------------------------------------------------- vectors

struct V3 {
    double x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator-(V3 a) { return {-a.x, -a.y, -a.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
V3 operator*(V3 a, V3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
V3 &operator+=(V3 &a, V3 b) { return a = a + b; }
V3 &operator*=(V3 &a, V3 b) { return a = a * b; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double length(V3 a) { return std::sqrt(dot(a, a)); }
V3 normalize(V3 a) { return a * (1.0 / length(a)); }
V3 mix(V3 a, V3 b, double t) { return a * (1 - t) + b * t; }
double maxComponent(V3 a) { return std::max({a.x, a.y, a.z}); }

struct Ray {
    V3 o, d;
};

// ---------------------------------------------------------------- random numbers

uint64_t splitmix(uint64_t &s) {
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

struct Rng {
    uint64_t state;
    double next() { return static_cast<double>(splitmix(state) >> 11) * 0x1.0p-53; }
};

// The R2 low-discrepancy sequence, shifted per pixel: spreads a pixel's samples
// evenly over each two-dimensional choice (film, lens, light).
struct R2 {
    double ox, oy;
    std::array<double, 2> at(int i) const {
        constexpr double g = 1.32471795724474602596;
        double a = ox + i / g, b = oy + i / (g * g);
        return {a - std::floor(a), b - std::floor(b)};
    }
};

V3 cosineHemisphere(V3 n, double u, double v) {
    const double r = std::sqrt(u), phi = 2 * kPi * v;
    const V3 a = std::abs(n.x) > 0.9 ? V3{0, 1, 0} : V3{1, 0, 0};
    const V3 t = normalize(cross(a, n)), b = cross(n, t);
    return normalize(t * (r * std::cos(phi)) + b * (r * std::sin(phi)) + n * std::sqrt(std::max(0.0, 1 - u)));
}

V3 inUnitSphere(Rng &rng) {
    for (;;) {
        V3 p{2 * rng.next() - 1, 2 * rng.next() - 1, 2 * rng.next() - 1};
        if (dot(p, p) < 1)
            return p;
    }
}

// ---------------------------------------------------------------- value noise, for the wood

double hash3(int x, int y, int z) {
    uint64_t s = static_cast<uint64_t>(x) * 73856093ull ^ static_cast<uint64_t>(y) * 19349663ull ^
                 static_cast<uint64_t>(z) * 83492791ull;
    return static_cast<double>(splitmix(s) >> 11) * 0x1.0p-53;
}

double smooth(double t) { return t * t * (3 - 2 * t); }

double valueNoise(V3 p) {
    const int ix = static_cast<int>(std::floor(p.x)), iy = static_cast<int>(std::floor(p.y)),
              iz = static_cast<int>(std::floor(p.z));
    const double fx = smooth(p.x - ix), fy = smooth(p.y - iy), fz = smooth(p.z - iz);
    auto lerp = [](double a, double b, double t) { return a + (b - a) * t; };
    const double x00 = lerp(hash3(ix, iy, iz), hash3(ix + 1, iy, iz), fx);
    const double x10 = lerp(hash3(ix, iy + 1, iz), hash3(ix + 1, iy + 1, iz), fx);
    const double x01 = lerp(hash3(ix, iy, iz + 1), hash3(ix + 1, iy, iz + 1), fx);
    const double x11 = lerp(hash3(ix, iy + 1, iz + 1), hash3(ix + 1, iy + 1, iz + 1), fx);
    return lerp(lerp(x00, x10, fy), lerp(x01, x11, fy), fz);
}

double fbm(V3 p) {
    double sum = 0, amp = 0.5;
    for (int i = 0; i < 4; ++i, amp *= 0.5, p = p * 2.03)
        sum += amp * valueNoise(p);
    return sum;
}

// Growth rings seen on a plank whose grain runs along `along`; `seed` moves the
// tree's heart so that neighbouring planks differ.
double woodGrain(V3 p, bool alongX, double seed) {
    const double u = alongX ? p.x : p.z, w = alongX ? p.z : p.x;
    const V3 q{u * 0.35, w * 3.0 + seed * 17.0, p.y * 3.0 + seed * 5.0};
    const double warp = fbm(q) * 2.2;
    const double dist = std::hypot(w * 1.0 + seed * 3.1 + 9.0, p.y + 4.0 + seed) + warp * 0.35;
    const double ring = dist * 9.0;
    const double f = ring - std::floor(ring);
    const double rings = std::pow(std::abs(std::sin(f * kPi)), 3.0);
    const double streaks = fbm(V3{u * 0.6, w * 40.0, seed * 11.0});
    return std::clamp(0.55 * rings + 0.45 * streaks, 0.0, 1.0);
}

// ---------------------------------------------------------------- turned profiles

// One frustum of a turned piece: from (r0, y0) to (r1, y1) in the profile plane,
// with the profile normals at both ends.
struct Segment {
    double r0, y0, r1, y1;
    double nr0, ny0, nr1, ny1;
    double ylo, yhi;
};

struct Lathe {
    std::vector<Segment> segments;
    std::vector<std::array<double, 2>> outline; // closed along the axis
    double radius = 0, height = 0;

    bool contains(double r, double y) const {
        bool in = false;
        const size_t n = outline.size();
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            const auto &a = outline[i], &b = outline[j];
            if ((a[1] > y) != (b[1] > y) && r < (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]) + a[0])
                in = !in;
        }
        return in;
    }
};

// Draws a profile from the foot on the axis, round the outside, to the top on the
// axis. Corners sharper than about 35 degrees stay sharp; the rest are smoothed.
class Profile {
public:
    Profile &start(double r, double y) {
        pts_ = {{r, y}};
        return *this;
    }
    Profile &line(double r, double y) {
        pts_.push_back({r, y});
        return *this;
    }
    Profile &curve(double cr, double cy, double r, double y, int steps = 10) {
        const auto p0 = pts_.back();
        for (int i = 1; i <= steps; ++i) {
            const double t = static_cast<double>(i) / steps, s = 1 - t;
            pts_.push_back({s * s * p0[0] + 2 * s * t * cr + t * t * r, s * s * p0[1] + 2 * s * t * cy + t * t * y});
        }
        return *this;
    }
    // An arc of the circle of radius `rad` centred on the axis at height `yc`,
    // between two angles in degrees measured from the horizontal.
    Profile &arc(double yc, double rad, double fromDeg, double toDeg, int steps = 24) {
        for (int i = 0; i <= steps; ++i) {
            const double a = (fromDeg + (toDeg - fromDeg) * i / steps) * kPi / 180;
            pts_.push_back({std::max(0.0, rad * std::cos(a)), yc + rad * std::sin(a)});
        }
        return *this;
    }
    // Starts an arc of a ball where the profile meets it at radius r.
    static double ballAngle(double rad, double r) { return -std::acos(r / rad) * 180 / kPi; }

    Lathe build() const {
        std::vector<std::array<double, 2>> p;
        for (const auto &q : pts_)
            if (p.empty() || std::hypot(q[0] - p.back()[0], q[1] - p.back()[1]) > 1e-9)
                p.push_back(q);
        Lathe lathe;
        std::vector<std::array<double, 2>> normals;
        for (size_t i = 0; i + 1 < p.size(); ++i) {
            const double dr = p[i + 1][0] - p[i][0], dy = p[i + 1][1] - p[i][1], len = std::hypot(dr, dy);
            normals.push_back({dy / len, -dr / len});
        }
        const double smoothCos = std::cos(35 * kPi / 180);
        for (size_t i = 0; i + 1 < p.size(); ++i) {
            auto n0 = normals[i], n1 = normals[i];
            auto blend = [&](size_t other, std::array<double, 2> &n) {
                const auto &m = normals[other];
                if (normals[i][0] * m[0] + normals[i][1] * m[1] > smoothCos) {
                    const double a = normals[i][0] + m[0], b = normals[i][1] + m[1], l = std::hypot(a, b);
                    n = {a / l, b / l};
                }
            };
            if (i > 0)
                blend(i - 1, n0);
            if (i + 2 < p.size())
                blend(i + 1, n1);
            Segment s{p[i][0], p[i][1], p[i + 1][0], p[i + 1][1], n0[0], n0[1], n1[0], n1[1],
                      std::min(p[i][1], p[i + 1][1]), std::max(p[i][1], p[i + 1][1])};
            lathe.segments.push_back(s);
            lathe.radius = std::max({lathe.radius, s.r0, s.r1});
            lathe.height = std::max({lathe.height, s.y0, s.y1});
        }
        lathe.outline = p;
        return lathe;
    }

private:
    std::vector<std::array<double, 2>> pts_;
};

struct LatheHit {
    double t;
    const Segment *seg;
    double s;
};

// Calls `found` for every crossing of the ray with the turned surface in (tmin, tmax).
template <class F> void latheHits(const Lathe &lathe, const Ray &ray, double tmin, double tmax, F &&found) {
    const V3 o = ray.o, d = ray.d;
    // The bounding cylinder narrows the heights worth testing.
    const double R = lathe.radius + 1e-4, H = lathe.height + 1e-4;
    double t0 = tmin, t1 = tmax;
    const double a = d.x * d.x + d.z * d.z, b = 2 * (o.x * d.x + o.z * d.z), c = o.x * o.x + o.z * o.z - R * R;
    if (a < 1e-14) {
        if (c > 0)
            return;
    } else {
        const double disc = b * b - 4 * a * c;
        if (disc < 0)
            return;
        const double sq = std::sqrt(disc);
        t0 = std::max(t0, (-b - sq) / (2 * a));
        t1 = std::min(t1, (-b + sq) / (2 * a));
    }
    if (std::abs(d.y) < 1e-14) {
        if (o.y < -1e-4 || o.y > H)
            return;
    } else {
        double ya = (-1e-4 - o.y) / d.y, yb = (H - o.y) / d.y;
        if (ya > yb)
            std::swap(ya, yb);
        t0 = std::max(t0, ya);
        t1 = std::min(t1, yb);
    }
    if (t0 > t1)
        return;
    const double ylo = std::min(o.y + t0 * d.y, o.y + t1 * d.y) - 1e-6;
    const double yhi = std::max(o.y + t0 * d.y, o.y + t1 * d.y) + 1e-6;

    for (const Segment &s : lathe.segments) {
        if (s.yhi < ylo || s.ylo > yhi)
            continue;
        if (s.yhi - s.ylo < 1e-12) {
            if (std::abs(d.y) < 1e-14)
                continue;
            const double t = (s.y0 - o.y) / d.y;
            if (t <= tmin || t >= tmax)
                continue;
            const double r = std::hypot(o.x + t * d.x, o.z + t * d.z);
            if (r < std::min(s.r0, s.r1) || r > std::max(s.r0, s.r1))
                continue;
            found(LatheHit{t, &s, (r - s.r0) / (s.r1 - s.r0)});
            continue;
        }
        const double k = (s.r1 - s.r0) / (s.y1 - s.y0);
        const double A = s.r0 + k * (o.y - s.y0), B = k * d.y;
        const double qa = a - B * B, qb = b - 2 * A * B, qc = o.x * o.x + o.z * o.z - A * A;
        double roots[2];
        int n = 0;
        if (std::abs(qa) < 1e-12) {
            if (std::abs(qb) > 1e-14)
                roots[n++] = -qc / qb;
        } else {
            const double disc = qb * qb - 4 * qa * qc;
            if (disc < 0)
                continue;
            const double sq = std::sqrt(disc);
            roots[n++] = (-qb - sq) / (2 * qa);
            roots[n++] = (-qb + sq) / (2 * qa);
        }
        for (int i = 0; i < n; ++i) {
            const double t = roots[i];
            if (t <= tmin || t >= tmax || A + B * t < -1e-9)
                continue;
            const double sy = (o.y + t * d.y - s.y0) / (s.y1 - s.y0);
            if (sy < 0 || sy > 1)
                continue;
            found(LatheHit{t, &s, sy});
        }
    }
}

V3 latheNormal(const LatheHit &h, V3 p) {
    const Segment &s = *h.seg;
    const double nr = s.nr0 + (s.nr1 - s.nr0) * h.s, ny = s.ny0 + (s.ny1 - s.ny0) * h.s;
    const double r = std::hypot(p.x, p.z);
    if (r < 1e-9)
        return normalize(V3{0, ny, 0});
    return normalize(V3{nr * p.x / r, ny, nr * p.z / r});
}

// ---------------------------------------------------------------- other shapes

struct Sphere {
    V3 c;
    double r;
};

bool hitSphere(const Sphere &s, const Ray &ray, double tmin, double &t, V3 &n) {
    const V3 oc = ray.o - s.c;
    const double b = dot(oc, ray.d), c = dot(oc, oc) - s.r * s.r, disc = b * b - c;
    if (disc < 0)
        return false;
    const double sq = std::sqrt(disc);
    double tt = -b - sq;
    if (tt <= tmin)
        tt = -b + sq;
    if (tt <= tmin || tt >= t)
        return false;
    t = tt;
    n = normalize(ray.o + ray.d * tt - s.c);
    return true;
}

struct Box {
    V3 lo, hi;
};

bool hitBox(const Box &box, const Ray &ray, double tmin, double &t, V3 &n) {
    double t0 = tmin, t1 = t;
    int axis0 = -1;
    const double o[3] = {ray.o.x, ray.o.y, ray.o.z}, d[3] = {ray.d.x, ray.d.y, ray.d.z};
    const double lo[3] = {box.lo.x, box.lo.y, box.lo.z}, hi[3] = {box.hi.x, box.hi.y, box.hi.z};
    bool enterLow = false;
    for (int i = 0; i < 3; ++i) {
        if (std::abs(d[i]) < 1e-14) {
            if (o[i] < lo[i] || o[i] > hi[i])
                return false;
            continue;
        }
        double a = (lo[i] - o[i]) / d[i], b = (hi[i] - o[i]) / d[i];
        const bool low = a < b;
        if (!low)
            std::swap(a, b);
        if (a > t0) {
            t0 = a;
            axis0 = i;
            enterLow = low;
        }
        t1 = std::min(t1, b);
        if (t0 > t1)
            return false;
    }
    if (axis0 < 0)
        return false; // starts inside
    t = t0;
    double v[3] = {0, 0, 0};
    v[axis0] = enterLow ? -1 : 1;
    n = {v[0], v[1], v[2]};
    return true;
}

// ---------------------------------------------------------------- the pieces

enum class Material { WhitePiece, BlackPiece, Square, Frame, Table, Backdrop };

struct Shape {
    Lathe lathe;
    std::vector<Sphere> spheres;
    std::vector<Box> boxes;
    bool mitreCut = false;
    double radius = 0, height = 0;

    void finish() {
        radius = lathe.radius;
        height = lathe.height;
        for (const auto &s : spheres) {
            radius = std::max(radius, std::hypot(s.c.x, s.c.z) + s.r);
            height = std::max(height, s.c.y + s.r);
        }
        for (const auto &b : boxes) {
            radius = std::max({radius, std::hypot(b.lo.x, b.lo.z), std::hypot(b.hi.x, b.hi.z),
                               std::hypot(b.lo.x, b.hi.z), std::hypot(b.hi.x, b.lo.z)});
            height = std::max(height, b.hi.y);
        }
    }
};

// The bishop's mitre is cut by a slanting slot: the region between two parallel
// planes, on one side of the axis, above the collar.
struct Cut {
    V3 n{0.70, 0.714, 0}; // normal of the slot's faces
    V3 c{0.0, 1.17, 0};   // a point on the slot's middle plane
    double half = 0.024;
    double sideX = -0.07; // the slot opens towards +x from here
    double floorY = 0.99;

    bool contains(V3 p) const {
        return std::abs(dot(p - c, n)) < half && p.x > sideX && p.y > floorY;
    }
    // The interval of the ray inside the slot, and the normals of the faces bounding it.
    bool interval(const Ray &ray, double &t0, double &t1, V3 &n0, V3 &n1) const {
        t0 = -kHuge;
        t1 = kHuge;
        struct Half {
            V3 a;
            double b;
        }; // a.p < b
        const double base = dot(c, n);
        const Half planes[4] = {{n, base + half}, {-n, -(base - half)}, {{-1, 0, 0}, -sideX}, {{0, -1, 0}, -floorY}};
        for (const Half &h : planes) {
            const double ad = dot(h.a, ray.d), ao = dot(h.a, ray.o);
            if (std::abs(ad) < 1e-14) {
                if (ao >= h.b)
                    return false;
                continue;
            }
            const double t = (h.b - ao) / ad;
            if (ad < 0) {
                if (t > t0) {
                    t0 = t;
                    n0 = h.a;
                }
            } else if (t < t1) {
                t1 = t;
                n1 = h.a;
            }
        }
        return t0 < t1;
    }
};

const Cut kMitre;

struct Piece {
    const Shape *shape;
    double x, z, angle;
    bool white;
};

Shape makePawn() {
    Profile p;
    p.start(0, 0)
        .line(0.35, 0)
        .line(0.35, 0.045)
        .curve(0.355, 0.10, 0.29, 0.115)
        .line(0.27, 0.12)
        .curve(0.30, 0.145, 0.255, 0.175)
        .curve(0.19, 0.20, 0.175, 0.26)
        .curve(0.135, 0.42, 0.118, 0.52)
        .line(0.215, 0.545)
        .curve(0.245, 0.565, 0.21, 0.59)
        .line(0.115, 0.605);
    const double rad = 0.19, yc = 0.605 + 0.19 * 0.82;
    p.arc(yc, rad, Profile::ballAngle(rad, 0.115), 90);
    Shape s;
    s.lathe = p.build();
    s.finish();
    return s;
}

// The common foot and stem of the larger pieces, up to the collar at `collarY`.
Profile &tallBase(Profile &p, double footR, double collarY, double stemTop) {
    p.start(0, 0)
        .line(footR, 0)
        .line(footR, 0.05)
        .curve(footR + 0.005, 0.115, footR - 0.06, 0.13)
        .line(footR - 0.08, 0.135)
        .curve(footR - 0.04, 0.16, footR - 0.085, 0.195)
        .curve(footR - 0.16, 0.22, footR - 0.175, 0.30)
        .curve(stemTop + 0.01, collarY - 0.25, stemTop, collarY)
        .line(stemTop + 0.10, collarY + 0.02)
        .curve(stemTop + 0.135, collarY + 0.045, stemTop + 0.10, collarY + 0.07)
        .line(stemTop + 0.01, collarY + 0.085)
        .line(stemTop + 0.06, collarY + 0.10)
        .curve(stemTop + 0.075, collarY + 0.115, stemTop + 0.05, collarY + 0.13)
        .line(stemTop - 0.005, collarY + 0.14);
    return p;
}

Shape makeKing() {
    Profile p;
    tallBase(p, 0.42, 0.98, 0.155);
    p.curve(0.165, 1.28, 0.25, 1.40)
        .line(0.265, 1.42)
        .curve(0.27, 1.445, 0.245, 1.455)
        .curve(0.17, 1.475, 0.10, 1.53)
        .curve(0.06, 1.555, 0.0, 1.56);
    Shape s;
    s.lathe = p.build();
    s.spheres.push_back({{0, 1.56, 0}, 0.065});
    s.boxes.push_back({{-0.042, 1.56, -0.035}, {0.042, 1.88, 0.035}});
    s.boxes.push_back({{-0.14, 1.70, -0.035}, {0.14, 1.78, 0.035}});
    s.finish();
    return s;
}

Shape makeQueen() {
    Profile p;
    tallBase(p, 0.41, 0.92, 0.15);
    p.curve(0.165, 1.20, 0.265, 1.33)
        .line(0.275, 1.345)
        .curve(0.24, 1.35, 0.20, 1.36)
        .curve(0.10, 1.37, 0.07, 1.45)
        .line(0.0, 1.455);
    Shape s;
    s.lathe = p.build();
    for (int i = 0; i < 10; ++i) {
        const double a = 2 * kPi * i / 10;
        s.spheres.push_back({{0.255 * std::cos(a), 1.375, 0.255 * std::sin(a)}, 0.047});
    }
    s.spheres.push_back({{0, 1.52, 0}, 0.085});
    s.finish();
    return s;
}

Shape makeBishop() {
    Profile p;
    tallBase(p, 0.38, 0.80, 0.135);
    const double top = 0.80 + 0.14;
    p.curve(0.25, top + 0.04, 0.205, top + 0.20)
        .curve(0.16, top + 0.36, 0.03, top + 0.45)
        .line(0, top + 0.455);
    Shape s;
    s.lathe = p.build();
    s.spheres.push_back({{0, top + 0.50, 0}, 0.058});
    s.mitreCut = true;
    s.finish();
    return s;
}

struct Hit {
    double t = kHuge;
    V3 n;
    Material material = Material::Table;
    V3 local; // hit point in the piece's own frame, for the pieces
};

V3 rotateY(V3 v, double c, double s) { return {c * v.x + s * v.z, v.y, -s * v.x + c * v.z}; }

// Intersects one piece; the ray is taken into the piece's frame and the normal back.
bool hitPiece(const Piece &piece, const Ray &world, double tmin, Hit &hit) {
    const double c = std::cos(piece.angle), s = std::sin(piece.angle);
    const V3 pos{piece.x, 0, piece.z};
    const Ray ray{rotateY(world.o - pos, c, -s), rotateY(world.d, c, -s)};
    const Shape &shape = *piece.shape;

    // Cheap rejection against the bounding cylinder.
    {
        const double R = shape.radius + 1e-3;
        const double a = ray.d.x * ray.d.x + ray.d.z * ray.d.z, b = ray.o.x * ray.d.x + ray.o.z * ray.d.z,
                     cc = ray.o.x * ray.o.x + ray.o.z * ray.o.z - R * R;
        if (a < 1e-14 ? cc > 0 : b * b - a * cc < 0)
            return false;
        if (a > 1e-14 && (-b + std::sqrt(b * b - a * cc)) / a < tmin)
            return false;
    }

    double best = hit.t;
    V3 n;
    bool any = false;
    if (!shape.mitreCut) {
        LatheHit first{best, nullptr, 0};
        latheHits(shape.lathe, ray, tmin, best, [&](const LatheHit &h) {
            if (h.t < first.t)
                first = h;
        });
        if (first.seg) {
            best = first.t;
            n = latheNormal(first, ray.o + ray.d * first.t);
            any = true;
        }
    } else {
        // Solid minus slot: lathe crossings outside the slot, and slot faces inside the solid.
        LatheHit first{best, nullptr, 0};
        latheHits(shape.lathe, ray, tmin, best, [&](const LatheHit &h) {
            if (h.t < first.t && !kMitre.contains(ray.o + ray.d * h.t))
                first = h;
        });
        if (first.seg) {
            best = first.t;
            n = latheNormal(first, ray.o + ray.d * first.t);
            any = true;
        }
        double t0, t1;
        V3 n0, n1;
        if (kMitre.interval(ray, t0, t1, n0, n1)) {
            for (const auto &[t, fn] : {std::pair{t0, n0}, std::pair{t1, n1}}) {
                if (t <= tmin || t >= best)
                    continue;
                const V3 p = ray.o + ray.d * t;
                if (shape.lathe.contains(std::hypot(p.x, p.z), p.y)) {
                    best = t;
                    n = fn;
                    any = true;
                }
            }
        }
    }
    for (const Sphere &sp : shape.spheres)
        any |= hitSphere(sp, ray, tmin, best, n);
    for (const Box &b : shape.boxes)
        any |= hitBox(b, ray, tmin, best, n);
    if (!any)
        return false;
    hit.t = best;
    hit.n = rotateY(n, c, s);
    hit.material = piece.white ? Material::WhitePiece : Material::BlackPiece;
    hit.local = ray.o + ray.d * best;
    return true;
}

// ---------------------------------------------------------------- the scene

constexpr double kBoardHalf = 4.0;  // the 64 squares, one unit each
constexpr double kFrameHalf = 4.55; // the wooden frame around them
constexpr double kBoardThickness = 0.32;
constexpr double kBackdropZ = 10.0; // a lit paper backdrop behind the table

struct Light {
    V3 centre, u, v, normal;
    V3 radiance;
    double area;

    // A grid on the soft box narrows its beam to a pool of light on the board.
    V3 emitted(double cosine) const { return radiance * std::pow(std::max(0.0, cosine), 10.0); }
};

struct Scene {
    std::vector<Shape> shapes;
    std::vector<Piece> pieces;
    Light light;
    Box board{{-kFrameHalf, -kBoardThickness, -kFrameHalf}, {kFrameHalf, 0, kFrameHalf}};

    bool intersect(const Ray &ray, double tmin, double tmax, Hit &hit) const {
        hit.t = tmax;
        bool any = false;
        V3 n;
        double t = hit.t;
        if (hitBox(board, ray, tmin, t, n)) {
            hit.t = t;
            hit.n = n;
            const V3 p = ray.o + ray.d * t;
            hit.material = (n.y > 0.5 && std::abs(p.x) < kBoardHalf && std::abs(p.z) < kBoardHalf) ? Material::Square
                                                                                                   : Material::Frame;
            any = true;
        }
        if (ray.d.y < -1e-12) {
            const double tt = (-kBoardThickness - ray.o.y) / ray.d.y;
            if (tt > tmin && tt < hit.t) {
                hit.t = tt;
                hit.n = {0, 1, 0};
                hit.material = Material::Table;
                any = true;
            }
        }
        if (ray.d.z > 1e-12) {
            const double tt = (kBackdropZ - ray.o.z) / ray.d.z;
            if (tt > tmin && tt < hit.t) {
                hit.t = tt;
                hit.n = {0, 0, -1};
                hit.material = Material::Backdrop;
                any = true;
            }
        }
        for (const Piece &piece : pieces)
            any |= hitPiece(piece, ray, tmin, hit);
        return any;
    }

    bool occluded(const Ray &ray, double tmax) const {
        Hit h;
        return intersect(ray, 1e-4, tmax, h);
    }

    // Distance to the soft box along the ray, if the ray meets its lit face.
    double hitLight(const Ray &ray) const {
        const double dn = dot(ray.d, light.normal);
        if (dn >= 0)
            return kHuge;
        const double t = dot(light.centre - ray.o, light.normal) / dn;
        if (t <= 0)
            return kHuge;
        const V3 q = ray.o + ray.d * t - light.centre;
        const double a = dot(q, light.u) / dot(light.u, light.u), b = dot(q, light.v) / dot(light.v, light.v);
        return (std::abs(a) <= 0.5 && std::abs(b) <= 0.5) ? t : kHuge;
    }
};

// The studio around the table: a dark room, with a faint window on the right that
// the glossy pieces pick up.
V3 environment(V3 d) {
    V3 c{0.03, 0.03, 0.035};
    if (d.y < 0)
        c = c * std::max(0.2, 1 + d.y * 4);
    const V3 window = normalize(V3{0.9, 0.35, 0.25});
    const double w = dot(d, window);
    if (w > 0.93)
        c += V3{0.55, 0.6, 0.7} * smooth(std::min(1.0, (w - 0.93) / 0.03));
    return c;
}

// The backdrop glows softly behind the pieces and fades towards its edges, so that
// the black pieces stand out against it.
V3 backdrop(V3 p) {
    const double dx = (p.x - 1.0) / 7.0, dy = (p.y - 3.0) / 3.5;
    return V3{0.11, 0.09, 0.07} * std::exp(-(dx * dx + dy * dy)) + V3{0.01, 0.01, 0.012};
}

struct Surface {
    V3 albedo;
    double f0, roughness;
};

Surface surfaceAt(const Hit &hit, V3 p) {
    switch (hit.material) {
    case Material::WhitePiece:
        return {{0.80, 0.73, 0.58}, 0.045, 0.035};
    case Material::BlackPiece:
        return {{0.022, 0.018, 0.016}, 0.05, 0.04};
    case Material::Square: {
        const int file = static_cast<int>(std::floor(p.x + kBoardHalf));
        const int rank = static_cast<int>(std::floor(p.z + kBoardHalf));
        const bool light = (file + rank) % 2 == 1;
        const double seed = file * 8 + rank;
        // Light squares run their grain across the board, dark ones along it.
        const double g = woodGrain(p, light, seed * 0.37);
        V3 c = light ? mix(V3{0.72, 0.52, 0.30}, V3{0.60, 0.40, 0.21}, g)
                     : mix(V3{0.20, 0.095, 0.045}, V3{0.11, 0.05, 0.025}, g);
        // The hairline joints between the squares.
        const double fx = p.x + kBoardHalf - file, fz = p.z + kBoardHalf - rank;
        const double edge = std::min({fx, 1 - fx, fz, 1 - fz});
        if (edge < 0.008)
            c = c * 0.45;
        return {c, 0.04, 0.05};
    }
    case Material::Frame: {
        const bool alongX = std::abs(p.z) > std::abs(p.x);
        const double g = woodGrain(p * 1.3, alongX, alongX ? 2.0 : 3.0);
        V3 c = mix(V3{0.16, 0.075, 0.035}, V3{0.09, 0.04, 0.02}, g);
        // A thin light inlay a little outside the squares.
        const double m = std::max(std::abs(p.x), std::abs(p.z));
        if (hit.n.y > 0.5 && m > kBoardHalf + 0.07 && m < kBoardHalf + 0.11)
            c = V3{0.70, 0.55, 0.33};
        return {c, 0.04, 0.06};
    }
    case Material::Table: {
        const double g = woodGrain(p * 0.5, true, 7.0);
        return {mix(V3{0.06, 0.035, 0.02}, V3{0.03, 0.017, 0.01}, g), 0.03, 0.12};
    }
    case Material::Backdrop:
        break;
    }
    return {{0.5, 0.5, 0.5}, 0.04, 0.1};
}

struct Sampler {
    Rng rng;
    R2 film, lens, light, bounce;
    int index;
};

V3 radiance(const Scene &scene, Ray ray, Sampler &smp) {
    V3 result{}, throughput{1, 1, 1};
    // Paths do not count the soft box when they happen to meet it: diffuse bounces
    // sample it directly, and the first surface adds its highlight, weighted by
    // its reflectance, below. Left to chance, a highlight with a reflectance of a
    // few per cent would be a scatter of bright specks.
    for (int depth = 0; depth < 5; ++depth) {
        Hit hit;
        const bool found = scene.intersect(ray, 1e-5, kHuge, hit);
        const double tl = scene.hitLight(ray);
        if (tl < hit.t) {
            if (depth == 0)
                result += throughput * scene.light.emitted(-dot(ray.d, scene.light.normal));
            break;
        }
        if (!found) {
            result += throughput * environment(ray.d);
            break;
        }
        const V3 p = ray.o + ray.d * hit.t;
        if (hit.material == Material::Backdrop) {
            result += throughput * backdrop(p);
            break;
        }
        V3 n = hit.n;
        if (dot(n, ray.d) > 0)
            n = -n;
        const Surface s = surfaceAt(hit, p);
        const double cosi = std::clamp(-dot(ray.d, n), 0.0, 1.0);
        const double fresnel = s.f0 + (1 - s.f0) * std::pow(1 - cosi, 5);
        const V3 origin = p + n * 2e-5;

        auto u2 = [&](const R2 &seq) {
            return depth == 0 ? seq.at(smp.index) : std::array<double, 2>{smp.rng.next(), smp.rng.next()};
        };
        const V3 mirror = ray.d - n * (2 * dot(ray.d, n));
        V3 glossy = normalize(mirror + inUnitSphere(smp.rng) * s.roughness);
        if (dot(glossy, n) <= 0)
            glossy = mirror;
        if (depth == 0) {
            const Ray towards{origin, glossy};
            const double t = scene.hitLight(towards);
            if (t < kHuge && !scene.occluded(towards, t))
                result += throughput * scene.light.emitted(-dot(glossy, scene.light.normal)) * fresnel;
        }
        if (smp.rng.next() < fresnel) {
            ray = {origin, glossy};
        } else {
            // Diffuse: the soft box directly, then one cosine-weighted bounce.
            throughput *= s.albedo;
            const auto l = u2(smp.light);
            const Light &L = scene.light;
            const V3 q = L.centre + L.u * (l[0] - 0.5) + L.v * (l[1] - 0.5);
            V3 w = q - origin;
            const double dist2 = dot(w, w), dist = std::sqrt(dist2);
            w = w * (1 / dist);
            const double cosl = -dot(w, L.normal), cosn = dot(w, n);
            if (cosl > 0 && cosn > 0 && !scene.occluded({origin, w}, dist - 1e-3))
                result += throughput * L.emitted(cosl) * (cosn * cosl * L.area / (kPi * dist2));
            const auto b = u2(smp.bounce);
            ray = {origin, cosineHemisphere(n, b[0], b[1])};
        }
    }
    // Tames the rare very bright path so it does not leave a speck.
    const double m = maxComponent(result);
    return m > 12 ? result * (12 / m) : result;
}

// Filmic curve, then the sRGB transfer function.
double toneMap(double x) {
    x = std::max(0.0, x);
    const double y = (x * (2.51 * x + 0.03)) / (x * (2.43 * x + 0.59) + 0.14);
    const double c = std::clamp(y, 0.0, 1.0);
    return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

struct Camera {
    V3 eye, forward, right, up;
    double tanHalf, aspect, aperture, focus;
};

Camera makeCamera(V3 eye, V3 target, V3 focusOn, double vfovDeg, double aspect, double aperture) {
    Camera c;
    c.eye = eye;
    c.forward = normalize(target - eye);
    c.right = normalize(cross(V3{0, 1, 0}, c.forward));
    c.up = cross(c.forward, c.right);
    c.tanHalf = std::tan(vfovDeg * kPi / 360);
    c.aspect = aspect;
    c.aperture = aperture;
    c.focus = dot(focusOn - eye, c.forward);
    return c;
}

Scene buildScene() {
    Scene scene;
    scene.shapes.reserve(4);
    scene.shapes.push_back(makePawn());
    scene.shapes.push_back(makeKing());
    scene.shapes.push_back(makeQueen());
    scene.shapes.push_back(makeBishop());
    const Shape *pawn = &scene.shapes[0], *king = &scene.shapes[1], *queen = &scene.shapes[2],
                *bishop = &scene.shapes[3];
    // Squares by file (0 = a) and rank (0 = 1); x runs a to h, z runs 1 to 8.
    auto at = [&](const Shape *s, int file, int rank, double angleDeg, bool white) {
        scene.pieces.push_back({s, file - 3.5, rank - 3.5, angleDeg * kPi / 180, white});
    };
    at(king, 4, 2, 28, true);           // e3
    at(pawn, 4, 3, 0, true);            // e4
    at(pawn, 2, 2, 0, true);            // c3
    at(pawn, 5, 1, 0, true);            // f2
    at(pawn, 6, 1, 0, true);            // g2
    at(bishop, 1, 1, 5, true);          // b2
    at(pawn, 3, 4, 0, false);           // d5
    at(pawn, 6, 5, 0, false);           // g6
    at(pawn, 7, 6, 0, false);           // h7
    at(bishop, 2, 5, 15, false);        // c6
    at(queen, 3, 6, 0, false);          // d7
    at(king, 5, 7, 10, false);          // f8

    Light &L = scene.light;
    L.centre = {-7.5, 9.0, -6.5};
    // The soft box faces the middle of the board; its normal is the way it shines.
    L.normal = normalize(V3{0, 0.5, 0} - L.centre);
    const V3 a = normalize(cross(L.normal, V3{0, 1, 0})), b = cross(a, L.normal);
    L.u = a * 5.0;
    L.v = b * 5.0;
    L.area = length(cross(L.u, L.v));
    L.radiance = V3{1.0, 0.92, 0.80} * 12.0;
    return scene;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2 && argc != 5) {
        std::fprintf(stderr, "usage: %s OUTPUT.jpg [WIDTH HEIGHT SAMPLES]\n", argv[0]);
        return 2;
    }
    const int width = argc == 5 ? std::atoi(argv[2]) : 1280;
    const int height = argc == 5 ? std::atoi(argv[3]) : 960;
    const int samples = argc == 5 ? std::atoi(argv[4]) : 64;

    const Scene scene = buildScene();
    const V3 kingTop{0.5, 1.2, -1.0};
    const Camera cam = makeCamera({-2.6, 4.6, -8.6}, {0.3, 0.25, 0.6}, kingTop, 34,
                                  static_cast<double>(width) / height, 0.11);

    std::vector<V3> pixels(static_cast<size_t>(width) * height);
    std::atomic<int> nextRow{0};
    auto work = [&] {
        for (int y; (y = nextRow++) < height;) {
            for (int x = 0; x < width; ++x) {
                uint64_t seed = (static_cast<uint64_t>(y) << 32) ^ static_cast<uint64_t>(x) ^ 0x51ED2701ull;
                Sampler smp{Rng{splitmix(seed)}, {}, {}, {}, {}, 0};
                auto shift = [&] { return R2{smp.rng.next(), smp.rng.next()}; };
                smp.film = shift();
                smp.lens = shift();
                smp.light = shift();
                smp.bounce = shift();
                V3 sum{};
                for (int i = 0; i < samples; ++i) {
                    smp.index = i;
                    const auto f = smp.film.at(i);
                    const double sx = (2 * (x + f[0]) / width - 1) * cam.tanHalf * cam.aspect;
                    const double sy = (1 - 2 * (y + f[1]) / height) * cam.tanHalf;
                    const V3 dir = normalize(cam.forward + cam.right * sx + cam.up * sy);
                    const V3 focal = cam.eye + dir * (cam.focus / dot(dir, cam.forward));
                    const auto l = smp.lens.at(i);
                    const double r = cam.aperture * std::sqrt(l[0]), phi = 2 * kPi * l[1];
                    const V3 eye = cam.eye + cam.right * (r * std::cos(phi)) + cam.up * (r * std::sin(phi));
                    sum += radiance(scene, {eye, normalize(focal - eye)}, smp);
                }
                pixels[static_cast<size_t>(y) * width + x] = sum * (1.0 / samples);
            }
        }
    };
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> pool;
    for (unsigned i = 0; i < threads; ++i)
        pool.emplace_back(work);
    for (auto &t : pool)
        t.join();

    QImage image(width, height, QImage::Format_RGB32);
    const double exposure = 1.6;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // A gentle vignette, as a real lens gives.
            const double dx = (x + 0.5) / width - 0.5, dy = (y + 0.5) / height - 0.5;
            const double vignette = 1 - 0.55 * (dx * dx + dy * dy);
            V3 c = pixels[static_cast<size_t>(y) * width + x] * (exposure * vignette);
            // Dither by a deterministic half step so the dark gradients do not band.
            uint64_t s = static_cast<uint64_t>(y) * 7919u + static_cast<uint64_t>(x);
            const double dither = (static_cast<double>(splitmix(s) >> 11) * 0x1.0p-53 - 0.5) / 255.0;
            auto channel = [&](double v) {
                return std::clamp(static_cast<int>(std::lround((toneMap(v) + dither) * 255)), 0, 255);
            };
            image.setPixel(x, y, qRgb(channel(c.x), channel(c.y), channel(c.z)));
        }
    }
    if (!image.save(QString::fromLocal8Bit(argv[1]), "JPG", 88)) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
