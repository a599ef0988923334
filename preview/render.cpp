#include "preview/render.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace preview {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint8_t kNeutral[3] = {176, 172, 164};  // a missing or absent texture
// Light from the front left, above: both standard views see a lit side.
constexpr double kLight[3] = {-0.5, 0.4, 0.7681145747868608};
constexpr double kAmbient = 0.42;
constexpr double kDiffuse = 0.58;

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Normalise(double v[3]) {
  double length = std::sqrt(Dot(v, v));
  if (length > 0) {
    for (int i = 0; i < 3; ++i) v[i] = v[i] / length;
  }
}

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// A vertex after projection: pixel position, depth key (greater is nearer, linear in screen
// space), 1/w, and the attributes divided by w.
struct Projected {
  double x, y, key, inv_w, u_w, v_w, shade_w;
};

struct Camera {
  double right[3], up[3], forward[3];
  double centre[3];
  double distance = 0;
  bool perspective = true;
  double eye[3];
  // Screen position = (projected - mid) * scale + origin.
  double mid_x = 0, mid_y = 0, scale = 1, origin_x = 0, origin_y = 0;
};

void ProjectRaw(const Camera& c, const double p[3], double& sx, double& sy, double& depth) {
  double d[3] = {p[0] - c.centre[0], p[1] - c.centre[1], p[2] - c.centre[2]};
  double cx = Dot(d, c.right), cy = Dot(d, c.up), cz = Dot(d, c.forward) + c.distance;
  depth = cz;
  if (c.perspective) {
    sx = cx / cz;
    sy = cy / cz;
  } else {
    sx = cx;
    sy = cy;
  }
}

Camera MakeCamera(const Scene& scene, const View& view, uint32_t x, uint32_t y, uint32_t width,
                  uint32_t height) {
  Camera c;
  c.perspective = view.perspective;
  double cp = PortableCos(view.pitch), sp = PortableSin(view.pitch);
  double cyaw = PortableCos(view.yaw), syaw = PortableSin(view.yaw);
  double to_eye[3] = {-cp * cyaw, cp * syaw, sp};
  for (int i = 0; i < 3; ++i) c.forward[i] = -to_eye[i];
  const double world_up[3] = {0, 0, 1};
  Cross(c.forward, world_up, c.right);
  if (Dot(c.right, c.right) == 0) {  // looking straight down or up
    c.right[0] = 0;
    c.right[1] = -1;
    c.right[2] = 0;
  }
  Normalise(c.right);
  Cross(c.right, c.forward, c.up);
  Normalise(c.up);
  double radius_sq = 0;
  for (int i = 0; i < 3; ++i) {
    c.centre[i] = 0.5 * (scene.box_min[i] + scene.box_max[i]);
    double half = 0.5 * (scene.box_max[i] - scene.box_min[i]);
    radius_sq += half * half;
  }
  double radius = std::max(std::sqrt(radius_sq), 1.0);
  // Far enough that the box lies wholly in front; a modest perspective.
  c.distance = 2.6 * radius;
  for (int i = 0; i < 3; ++i) c.eye[i] = c.centre[i] + to_eye[i] * c.distance;

  double min_x = std::numeric_limits<double>::max(), max_x = -min_x;
  double min_y = min_x, max_y = -min_x;
  for (int corner = 0; corner < 8; ++corner) {
    double p[3] = {(corner & 1) ? scene.box_max[0] : scene.box_min[0],
                   (corner & 2) ? scene.box_max[1] : scene.box_min[1],
                   (corner & 4) ? scene.box_max[2] : scene.box_min[2]};
    double sx, sy, depth;
    ProjectRaw(c, p, sx, sy, depth);
    min_x = std::min(min_x, sx);
    max_x = std::max(max_x, sx);
    min_y = std::min(min_y, sy);
    max_y = std::max(max_y, sy);
  }
  double span_x = std::max(max_x - min_x, 1e-9), span_y = std::max(max_y - min_y, 1e-9);
  c.scale = std::min(0.92 * width / span_x, 0.92 * height / span_y) * view.zoom;
  c.mid_x = 0.5 * (min_x + max_x);
  c.mid_y = 0.5 * (min_y + max_y);
  c.origin_x = x + 0.5 * width;
  c.origin_y = y + 0.5 * height;
  return c;
}

uint8_t ToByte(double value) {
  if (!(value > 0)) return 0;
  if (value >= 255) return 255;
  return static_cast<uint8_t>(value + 0.5);
}

struct Target {
  Picture& picture;
  std::vector<double>& depth;
  int64_t x0, y0, x1, y1;  // clip rectangle, x1 and y1 excluded
  uint64_t pixels_left;    // of the view's budget
};

// Twice the signed area of (a, b, p): positive on one side of the edge a -> b.
double Edge(const Projected& a, const Projected& b, double px, double py) {
  return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

// Pixels whose centre lies on an edge belong to the triangle only on its "top-left" edges, so
// two triangles sharing an edge never both draw a pixel.
bool OwnsEdge(const Projected& a, const Projected& b) {
  return (b.y - a.y) > 0 || ((b.y - a.y) == 0 && (b.x - a.x) < 0);
}

void DrawTriangle(Target& t, Projected v0, Projected v1, Projected v2, const Picture* texture,
                  bool alpha_test) {
  double area = Edge(v0, v1, v2.x, v2.y);
  if (!(std::fabs(area) > 0)) return;
  if (area < 0) {
    std::swap(v1, v2);
    area = -area;
  }
  double min_x = std::min({v0.x, v1.x, v2.x}), max_x = std::max({v0.x, v1.x, v2.x});
  double min_y = std::min({v0.y, v1.y, v2.y}), max_y = std::max({v0.y, v1.y, v2.y});
  int64_t x_begin = std::max<int64_t>(t.x0, static_cast<int64_t>(std::floor(min_x)));
  int64_t x_end = std::min<int64_t>(t.x1, static_cast<int64_t>(std::floor(max_x)) + 1);
  int64_t y_begin = std::max<int64_t>(t.y0, static_cast<int64_t>(std::floor(min_y)));
  int64_t y_end = std::min<int64_t>(t.y1, static_cast<int64_t>(std::floor(max_y)) + 1);
  if (x_begin >= x_end || y_begin >= y_end) return;
  uint64_t box = static_cast<uint64_t>(x_end - x_begin) * static_cast<uint64_t>(y_end - y_begin);
  if (box > t.pixels_left) {
    t.pixels_left = 0;
    return;
  }
  t.pixels_left -= box;
  bool own0 = OwnsEdge(v1, v2), own1 = OwnsEdge(v2, v0), own2 = OwnsEdge(v0, v1);
  uint32_t stride = t.picture.width;
  for (int64_t py = y_begin; py < y_end; ++py) {
    double cy = static_cast<double>(py) + 0.5;
    for (int64_t px = x_begin; px < x_end; ++px) {
      double cx = static_cast<double>(px) + 0.5;
      double e0 = Edge(v1, v2, cx, cy), e1 = Edge(v2, v0, cx, cy), e2 = Edge(v0, v1, cx, cy);
      if (e0 < 0 || e1 < 0 || e2 < 0) continue;
      if ((e0 == 0 && !own0) || (e1 == 0 && !own1) || (e2 == 0 && !own2)) continue;
      double b0 = e0 / area, b1 = e1 / area, b2 = e2 / area;
      double key = b0 * v0.key + b1 * v1.key + b2 * v2.key;
      size_t at = static_cast<size_t>(py) * stride + static_cast<size_t>(px);
      if (!(key > t.depth[at])) continue;
      double inv_w = b0 * v0.inv_w + b1 * v1.inv_w + b2 * v2.inv_w;
      double shade = (b0 * v0.shade_w + b1 * v1.shade_w + b2 * v2.shade_w) / inv_w;
      uint8_t r = kNeutral[0], g = kNeutral[1], b = kNeutral[2];
      if (texture != nullptr) {
        double u = (b0 * v0.u_w + b1 * v1.u_w + b2 * v2.u_w) / inv_w;
        double v = (b0 * v0.v_w + b1 * v1.v_w + b2 * v2.v_w) / inv_w;
        double tu = std::floor(u * texture->width), tv = std::floor(v * texture->height);
        if (!std::isfinite(tu)) tu = 0;
        if (!std::isfinite(tv)) tv = 0;
        int64_t ix = static_cast<int64_t>(std::fmod(tu, static_cast<double>(texture->width)));
        int64_t iy = static_cast<int64_t>(std::fmod(tv, static_cast<double>(texture->height)));
        if (ix < 0) ix += texture->width;
        if (iy < 0) iy += texture->height;
        const uint8_t* texel =
            &texture
                 ->pixels[(static_cast<size_t>(iy) * texture->width + static_cast<size_t>(ix)) * 4];
        if (alpha_test && texel[3] < 128) continue;
        r = texel[0];
        g = texel[1];
        b = texel[2];
      }
      t.depth[at] = key;
      uint8_t* out = &t.picture.pixels[at * 4];
      out[0] = ToByte(r * shade);
      out[1] = ToByte(g * shade);
      out[2] = ToByte(b * shade);
      out[3] = 255;
    }
  }
}

}  // namespace

double PortableSin(double radians) {
  if (!std::isfinite(radians)) return 0;
  // Reduce to [-pi, pi], then to [-pi/2, pi/2] by symmetry; a Taylor series to x^21 is exact to
  // well below a pixel there.
  double turns = std::floor(radians / (2 * kPi) + 0.5);
  double x = radians - turns * (2 * kPi);
  if (x > kPi / 2) x = kPi - x;
  if (x < -kPi / 2) x = -kPi - x;
  double x2 = x * x, term = x, sum = x;
  for (int n = 1; n <= 10; ++n) {
    term = -term * x2 / ((2.0 * n) * (2.0 * n + 1));
    sum = sum + term;
  }
  return sum;
}

double PortableCos(double radians) { return PortableSin(radians + kPi / 2); }

View ThreeQuarterView() { return {0.55, 0.3, true, 1}; }

View SideView() { return {0, 0, false, 1}; }

Scene BuildScene(const model::ModelFile& model, const std::vector<model::Placement>& placements,
                 const LoadTexture& load_texture, uint64_t triangle_budget) {
  Scene scene;
  scene.model = &model;
  std::unordered_map<std::string, int> loaded;
  for (const model::Placement& p : placements) {
    const model::Component& c = model.components[p.component];
    if (c.triangles.empty()) continue;
    if (scene.triangles_left_out > 0 || c.triangles.size() > triangle_budget - scene.triangles) {
      scene.triangles_left_out += c.triangles.size();
      continue;
    }
    Scene::Part part;
    part.component = p.component;
    for (int i = 0; i < 3; ++i) part.offset[i] = p.offset[i];
    if (!c.skin.empty()) {
      auto found = loaded.find(c.skin);
      if (found == loaded.end()) {
        Picture picture;
        int index = -1;
        if (load_texture(c.skin, picture) && picture.width > 0 && picture.height > 0) {
          index = static_cast<int>(scene.textures.size());
          bool any_opaque = false;
          for (size_t a = 3; a < picture.pixels.size() && !any_opaque; a += 4) {
            any_opaque = picture.pixels[a] >= 128;
          }
          scene.cut_out.push_back(picture.has_alpha && any_opaque);
          scene.textures.push_back(std::move(picture));
        }
        found = loaded.emplace(c.skin, index).first;
      }
      part.texture = found->second;
    }
    bool drawn = false;
    for (const model::Triangle& t : c.triangles) {
      for (uint32_t index : t.index) {
        if (index >= c.vertices.size()) continue;
        drawn = true;
        const float* position = c.vertices[index].position;
        for (int i = 0; i < 3; ++i) {
          double at = position[i] + p.offset[i];
          scene.box_min[i] = scene.empty ? at : std::min(scene.box_min[i], at);
          scene.box_max[i] = scene.empty ? at : std::max(scene.box_max[i], at);
        }
        scene.empty = false;
      }
    }
    if (!drawn) continue;
    scene.parts.push_back(part);
    scene.triangles += c.triangles.size();
  }
  return scene;
}

std::string PartialPictureNote(const Scene& scene, bool pixels_ran_out) {
  if (scene.triangles_left_out > 0) {
    return "drawn in part: " + std::to_string(scene.triangles) + " of " +
           std::to_string(scene.triangles + scene.triangles_left_out) +
           " placed triangles, the most a picture draws";
  }
  if (pixels_ran_out) return "drawn in part: its triangles cover more pixels than a view fills";
  return {};
}

ViewportResult DrawView(const Scene& scene, const View& view, Picture& target, uint32_t x,
                        uint32_t y, uint32_t width, uint32_t height, uint64_t pixel_budget) {
  ViewportResult result;
  if (scene.empty || scene.model == nullptr || width == 0 || height == 0) return result;
  x = std::min(x, target.width);
  y = std::min(y, target.height);
  width = std::min(width, target.width - x);
  height = std::min(height, target.height - y);
  Camera camera = MakeCamera(scene, view, x, y, width, height);
  std::vector<double> depth(static_cast<size_t>(target.width) * target.height,
                            -std::numeric_limits<double>::infinity());
  Target t{target, depth, x, y, int64_t{x} + width, int64_t{y} + height, pixel_budget};

  double centre_sx, centre_sy, centre_depth;
  ProjectRaw(camera, camera.centre, centre_sx, centre_sy, centre_depth);
  result.centre_x = static_cast<int32_t>(
      std::lround((centre_sx - camera.mid_x) * camera.scale + camera.origin_x));
  result.centre_y = static_cast<int32_t>(
      std::lround(camera.origin_y - (centre_sy - camera.mid_y) * camera.scale));
  result.pixels_per_mm = camera.perspective ? camera.scale / camera.distance : camera.scale;

  std::vector<Projected> projected;
  std::vector<bool> usable;
  for (const Scene::Part& part : scene.parts) {
    const model::Component& c = scene.model->components[part.component];
    const Picture* texture =
        part.texture >= 0 ? &scene.textures[static_cast<size_t>(part.texture)] : nullptr;
    bool alpha_test = texture != nullptr && scene.cut_out[static_cast<size_t>(part.texture)];
    projected.resize(c.vertices.size());
    usable.assign(c.vertices.size(), false);
    std::vector<bool> done(c.vertices.size(), false);
    // Only vertices that a triangle uses are projected, each once.
    for (const model::Triangle& tri : c.triangles) {
      for (uint32_t index : tri.index) {
        if (index >= c.vertices.size() || done[index]) continue;
        done[index] = true;
        const model::Vertex& v = c.vertices[index];
        double p[3];
        for (int i = 0; i < 3; ++i) p[i] = v.position[i] + part.offset[i];
        double sx, sy, cz;
        ProjectRaw(camera, p, sx, sy, cz);
        if (camera.perspective && !(cz > 1e-3 * camera.distance)) continue;
        // Both faces lit alike: the normal turned towards the eye.
        double n[3] = {v.normal[0], v.normal[1], v.normal[2]};
        Normalise(n);
        double to_eye[3];
        for (int i = 0; i < 3; ++i) {
          to_eye[i] = camera.perspective ? camera.eye[i] - p[i] : -camera.forward[i];
        }
        if (Dot(n, to_eye) < 0) {
          for (double& value : n) value = -value;
        }
        double light = Dot(n, kLight);
        double shade = kAmbient + kDiffuse * (light > 0 ? light : 0);
        if (Dot(n, n) == 0) shade = kAmbient + 0.5 * kDiffuse;
        double inv_w = camera.perspective ? 1.0 / cz : 1.0;
        Projected& out = projected[index];
        out.x = (sx - camera.mid_x) * camera.scale + camera.origin_x;
        out.y = camera.origin_y - (sy - camera.mid_y) * camera.scale;
        out.key = camera.perspective ? inv_w : -cz;
        out.inv_w = inv_w;
        out.u_w = v.uv[0] * inv_w;
        out.v_w = v.uv[1] * inv_w;
        out.shade_w = shade * inv_w;
        usable[index] = true;
      }
    }
    for (const model::Triangle& tri : c.triangles) {
      bool ok = true;
      for (uint32_t index : tri.index) ok = ok && index < c.vertices.size() && usable[index];
      if (!ok) continue;
      DrawTriangle(t, projected[tri.index[0]], projected[tri.index[1]], projected[tri.index[2]],
                   texture, alpha_test);
      if (t.pixels_left == 0) {
        result.pixels_ran_out = true;
        return result;
      }
    }
  }
  return result;
}

}  // namespace preview
