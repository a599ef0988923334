// sw_bench_make_shape: writes a large shape text for the conversion benchmark, laid out as the
// MSTS exporter writes one (UTF-16LE behind FF FE, CR LF line ends, tab indentation): a
// hierarchy of matrices (a body, bogies, wheel sets, rods), images, vtx_states, prim_states
// and many sub-objects, each a grid of vertices cut into primitives of modest size.
//
//   sw_bench_make_shape OUT.s [--points N] [--sub-objects N]
//
// Prints the announced table counts as "name=value" lines, for the benchmark's memory figure.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kGridColumns = 50;
constexpr int kTrianglesPerPrimitive = 800;  // 2400 vertex indexes per list at most
constexpr int kIndexesPerLine = 18;
constexpr int kOtherValuesPerLine = 24;

struct Layout {
  int64_t point_count = 1000000;
  int64_t sub_object_count = 200;
  int64_t points_per_sub_object = 0;
  int64_t uv_point_count = 0;
  int64_t normal_count = 0;
  int64_t grid_rows = 0;  // vertices of a sub-object: kGridColumns x grid_rows
  int64_t vertex_count = 0;
  int64_t triangle_count = 0;
  int64_t primitive_count = 0;
};

// The matrices: name, parent, translation x, y, z.
struct MatrixSpec {
  std::string name;
  int parent;
  double x, y, z;
};

// Buffered UTF-16LE output: every 8-bit character becomes one 16-bit unit.
struct Utf16Writer {
  std::FILE* file = nullptr;
  std::vector<unsigned char> buffer;
  bool failed = false;
};

void FlushWriter(Utf16Writer& out) {
  if (!out.buffer.empty() &&
      std::fwrite(out.buffer.data(), 1, out.buffer.size(), out.file) != out.buffer.size())
    out.failed = true;
  out.buffer.clear();
}

void Put(Utf16Writer& out, std::string_view text) {
  for (char c : text) {
    out.buffer.push_back(static_cast<unsigned char>(c));
    out.buffer.push_back(0);
  }
  if (out.buffer.size() >= (1u << 20)) FlushWriter(out);
}

// One line: indentation, text, CR LF.
void PutLine(Utf16Writer& out, int tabs, std::string_view text) {
  std::string line(static_cast<size_t>(tabs), '\t');
  line += text;
  line += "\r\n";
  Put(out, line);
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string Int(int64_t value) {
  char text[24];
  auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::vector<MatrixSpec> MakeMatrices() {
  std::vector<MatrixSpec> m;
  m.push_back({"MAIN", -1, 0, 0, 0});
  for (int bogie = 0; bogie < 2; ++bogie) {
    double along = bogie == 0 ? 6.1 : -6.1;
    int b = static_cast<int>(m.size());
    m.push_back({"BOGIE" + Int(bogie + 1), 0, 0, 0.72, along});
    for (int axle = 0; axle < 3; ++axle) {
      int w = static_cast<int>(m.size());
      m.push_back({"WHEELS" + Int(bogie + 1) + Int(axle + 1), b, 0, -0.26, 1.2 * (axle - 1)});
      m.push_back({"AXLEBOX" + Int(bogie + 1) + Int(axle + 1), w, 0.8, 0, 0});
    }
  }
  for (int rod = 0; rod < 8; ++rod) {
    int r = static_cast<int>(m.size());
    m.push_back({"ROD" + Int(rod + 1), 0, rod % 2 == 0 ? 1.1 : -1.1, 0.9, 2.0 - 0.5 * rod});
    m.push_back({"CRANK" + Int(rod + 1), r, 0, 0.1, 0.35});
  }
  for (int part = 0; part < 9; ++part) {
    m.push_back({"DOOR" + Int(part + 1), 0, part % 2 == 0 ? 1.4 : -1.4, 2.2, -7.0 + 1.6 * part});
  }
  return m;
}

std::vector<std::string> MakeImages() {
  std::vector<std::string> images;
  const char* parts[] = {"body",     "roof",  "cab",        "bogie",   "wheel", "rods",
                         "interior", "glass", "underframe", "buffers", "lamps", "details"};
  for (const char* part : parts) images.push_back(std::string("bench_") + part + ".ace");
  return images;
}

void WriteHead(Utf16Writer& out) {
  Put(out, "SIMISA@@@@@@@@@@JINX0s1t______\r\n\r\n");
  PutLine(out, 0, "shape (");
  PutLine(out, 1, "shape_header ( 00000000 00000000 )");
  PutLine(out, 1, "volumes ( 1");
  PutLine(out, 2, "vol_sphere (");
  PutLine(out, 3, "vector ( 0 2 0 ) 12.5");
  PutLine(out, 2, ")");
  PutLine(out, 1, ")");
  PutLine(out, 1, "shader_names ( 2");
  PutLine(out, 2, "named_shader ( TexDiff )");
  PutLine(out, 2, "named_shader ( BlendATexDiff )");
  PutLine(out, 1, ")");
  PutLine(out, 1, "texture_filter_names ( 1");
  PutLine(out, 2, "named_filter_mode ( MipLinear )");
  PutLine(out, 1, ")");
}

void WritePoints(Utf16Writer& out, const Layout& l) {
  PutLine(out, 1, "points ( " + Int(l.point_count));
  for (int64_t i = 0; i < l.point_count; ++i) {
    // Points of one sub-object lie on a curved panel of the body.
    int64_t s = i / l.points_per_sub_object, k = i % l.points_per_sub_object;
    double x = -1.45 + 0.0587 * static_cast<double>(k % 50) + 0.000013 * static_cast<double>(s);
    double y =
        0.312 + 0.0431 * static_cast<double>(k / 50 % 97) - 0.00021 * static_cast<double>(k % 7);
    double z = -8.25 + 16.5 * static_cast<double>(s) / static_cast<double>(l.sub_object_count) +
               0.00173 * static_cast<double>(k / 4850);
    PutLine(out, 2, "point ( " + Number(x) + " " + Number(y) + " " + Number(z) + " )");
  }
  PutLine(out, 1, ")");
}

void WriteUvPoints(Utf16Writer& out, const Layout& l) {
  PutLine(out, 1, "uv_points ( " + Int(l.uv_point_count));
  for (int64_t i = 0; i < l.uv_point_count; ++i) {
    double u = 0.00390625 * static_cast<double>(i % 257),
           v = 1.0 - 0.001953125 * static_cast<double>(i / 257 % 509);
    PutLine(out, 2, "uv_point ( " + Number(u) + " " + Number(v) + " )");
  }
  PutLine(out, 1, ")");
}

void WriteNormals(Utf16Writer& out, const Layout& l) {
  PutLine(out, 1, "normals ( " + Int(l.normal_count));
  for (int64_t i = 0; i < l.normal_count; ++i) {
    double a = 0.000731 * static_cast<double>(i % 8597);
    double x = -0.998 + 0.0021 * static_cast<double>(i % 951), y = 0.0447 * (a - 3.1),
           z = 0.0531 - 0.00017 * static_cast<double>(i % 613);
    PutLine(out, 2, "vector ( " + Number(x) + " " + Number(y) + " " + Number(z) + " )");
  }
  PutLine(out, 1, ")");
}

void WriteGlobalTables(Utf16Writer& out, const std::vector<MatrixSpec>& matrices,
                       const std::vector<std::string>& images, int prim_state_count) {
  PutLine(out, 1, "sort_vectors ( 0 )");
  PutLine(out, 1, "colours ( 0 )");
  PutLine(out, 1, "matrices ( " + Int(static_cast<int64_t>(matrices.size())));
  for (const MatrixSpec& m : matrices) {
    PutLine(out, 2,
            "matrix " + m.name + " ( 1 0 0 0 1 0 0 0 1 " + Number(m.x) + " " + Number(m.y) + " " +
                Number(m.z) + " )");
  }
  PutLine(out, 1, ")");
  PutLine(out, 1, "images ( " + Int(static_cast<int64_t>(images.size())));
  for (const std::string& image : images) PutLine(out, 2, "image ( " + image + " )");
  PutLine(out, 1, ")");
  PutLine(out, 1, "textures ( " + Int(static_cast<int64_t>(images.size())));
  for (size_t t = 0; t < images.size(); ++t)
    PutLine(out, 2, "texture ( " + Int(static_cast<int64_t>(t)) + " 0 0 ff000000 )");
  PutLine(out, 1, ")");
  PutLine(out, 1, "light_materials ( 0 )");
  PutLine(out, 1, "light_model_cfgs ( 1");
  PutLine(out, 2, "light_model_cfg ( 00000000");
  PutLine(out, 3, "uv_ops ( 1");
  PutLine(out, 4, "uv_op_copy ( 1 0 )");
  PutLine(out, 3, ")");
  PutLine(out, 2, ")");
  PutLine(out, 1, ")");
  PutLine(out, 1, "vtx_states ( " + Int(static_cast<int64_t>(matrices.size())));
  for (size_t m = 0; m < matrices.size(); ++m)
    PutLine(out, 2, "vtx_state ( 00000000 " + Int(static_cast<int64_t>(m)) + " -5 0 00000002 )");
  PutLine(out, 1, ")");
  PutLine(out, 1, "prim_states ( " + Int(prim_state_count));
  for (int p = 0; p < prim_state_count; ++p) {
    int64_t tex = p % static_cast<int>(images.size()), vtx = p % static_cast<int>(matrices.size());
    PutLine(out, 2, "prim_state ps" + Int(p) + " ( 00000000 " + Int(p % 2));
    PutLine(out, 3, "tex_idxs ( 1 " + Int(tex) + " ) 0 " + Int(vtx) + " 1 1 1");
    PutLine(out, 2, ")");
  }
  PutLine(out, 1, ")");
}

void WriteHierarchyHead(Utf16Writer& out, const std::vector<MatrixSpec>& matrices,
                        const Layout& l) {
  PutLine(out, 1, "lod_controls ( 1");
  PutLine(out, 2, "lod_control (");
  PutLine(out, 3, "distance_levels_header ( 0 )");
  PutLine(out, 3, "distance_levels ( 1");
  PutLine(out, 4, "distance_level (");
  PutLine(out, 5, "distance_level_header (");
  PutLine(out, 6, "dlevel_selection ( 2000 )");
  std::string hierarchy = "hierarchy ( " + Int(static_cast<int64_t>(matrices.size()));
  for (const MatrixSpec& m : matrices) hierarchy += " " + Int(m.parent);
  PutLine(out, 6, hierarchy + " )");
  PutLine(out, 5, ")");
  PutLine(out, 5, "sub_objects ( " + Int(l.sub_object_count));
}

// Writes "keyword ( count v v v ... )" wrapped every per_line values.
template <typename Value>
void PutList(Utf16Writer& out, int tabs, const char* keyword, int64_t count, int64_t per_line,
             Value value) {
  std::string line = std::string(keyword) + " ( " + Int(count);
  int64_t on_line = 0;
  bool first_line = true;
  for (int64_t n = 0; n < count; ++n) {
    line += ' ';
    line += value(n);
    if (++on_line == per_line && n + 1 < count) {
      PutLine(out, first_line ? tabs : tabs + 1, line);
      line.clear();
      on_line = 0;
      first_line = false;
    }
  }
  PutLine(out, first_line ? tabs : tabs + 1, line + " )");
}

void WriteSubObject(Utf16Writer& out, const Layout& l, int64_t s, int64_t prim_state_count) {
  const int64_t rows = l.grid_rows, columns = kGridColumns, vertex_count = rows * columns;
  PutLine(out, 6, "sub_object (");
  PutLine(out, 7, "sub_object_header ( 00000400 -1 -1 000001d2 000001c4");
  PutLine(out, 8, "geometry_info ( 0 0 0 0 0 0 0 0 0 0");
  PutLine(out, 9, "geometry_nodes ( 0 )");
  PutLine(out, 9, "geo_node_map ( 0 )");
  PutLine(out, 8, ")");
  PutLine(out, 8, "subobject_shaders ( 1 0 )");
  PutLine(out, 8, "subobject_light_cfgs ( 1 0 ) 0");
  PutLine(out, 7, ")");
  PutLine(out, 7, "vertices ( " + Int(vertex_count));
  const int64_t point_base = s * l.points_per_sub_object;
  const int64_t uv_block = l.uv_point_count / l.sub_object_count,
                normal_block = l.normal_count / l.sub_object_count;
  for (int64_t v = 0; v < vertex_count; ++v) {
    int64_t point = point_base + (2 * v) % l.points_per_sub_object;
    int64_t normal = s * normal_block + (v / 2) % normal_block;
    int64_t uv = s * uv_block + (v / 2) % uv_block;
    PutLine(out, 8, "vertex ( 00000000 " + Int(point) + " " + Int(normal) + " ffffffff ff000000");
    PutLine(out, 9, "vertex_uvs ( 1 " + Int(uv) + " )");
    PutLine(out, 8, ")");
  }
  PutLine(out, 7, ")");
  PutLine(out, 7, "vertex_sets ( 1");
  PutLine(out, 8, "vertex_set ( 0 0 " + Int(vertex_count) + " )");
  PutLine(out, 7, ")");
  // Two triangles per grid cell, cut into primitives of kTrianglesPerPrimitive.
  const int64_t triangles = (rows - 1) * (columns - 1) * 2;
  const int64_t primitives = (triangles + kTrianglesPerPrimitive - 1) / kTrianglesPerPrimitive;
  PutLine(out, 7, "primitives ( " + Int(primitives * 2));
  for (int64_t k = 0; k < primitives; ++k) {
    int64_t first = k * kTrianglesPerPrimitive;
    int64_t count = std::min<int64_t>(kTrianglesPerPrimitive, triangles - first);
    PutLine(out, 8, "prim_state_idx ( " + Int((s * 7 + k) % prim_state_count) + " )");
    PutLine(out, 8, "indexed_trilist (");
    PutList(out, 9, "vertex_idxs", count * 3, kIndexesPerLine, [&](int64_t n) {
      int64_t t = first + n / 3, cell = t / 2, corner = n % 3;
      int64_t r = cell / (columns - 1), c = cell % (columns - 1);
      int64_t a = r * columns + c;
      static const int64_t kLower[3] = {0, 1, 0}, kRight[3] = {0, 0, 1};
      int64_t lower = t % 2 == 0 ? kLower[corner] : 1 - kRight[corner];
      int64_t right = t % 2 == 0 ? kRight[corner] : 1 - kLower[corner];
      return Int(a + lower * columns + right);
    });
    PutList(out, 9, "normal_idxs", count, kOtherValuesPerLine,
            [&](int64_t n) { return Int((first + n) % 64) + " 3"; });
    PutList(out, 9, "flags", count, kOtherValuesPerLine,
            [](int64_t) { return std::string("00000000"); });
    PutLine(out, 8, ")");
  }
  PutLine(out, 7, ")");
  PutLine(out, 6, ")");
}

void WriteTail(Utf16Writer& out) {
  PutLine(out, 5, ")");
  PutLine(out, 4, ")");
  PutLine(out, 3, ")");
  PutLine(out, 2, ")");
  PutLine(out, 1, ")");
  PutLine(out, 1, "animations ( 1");
  PutLine(out, 2, "animation ( 2 30");
  PutLine(out, 3, "anim_nodes ( 1");
  PutLine(out, 4, "anim_node WHEELS11 (");
  PutLine(out, 5, "controllers ( 1");
  PutLine(out, 6, "tcb_rot ( 2");
  PutLine(out, 7, "tcb_key ( 0 0 0 0 1 0 0 0 0 0 )");
  PutLine(out, 7, "tcb_key ( 1 -1 0 0 0 0 0 0 0 0 )");
  PutLine(out, 6, ")");
  PutLine(out, 5, ")");
  PutLine(out, 4, ")");
  PutLine(out, 3, ")");
  PutLine(out, 2, ")");
  PutLine(out, 1, ")");
  PutLine(out, 0, ")");
}

bool ParseCount(const char* text, int64_t& value) {
  const char* end = text + std::strlen(text);
  auto [stop, ec] = std::from_chars(text, end, value);
  return ec == std::errc() && stop == end && value > 0;
}

int Usage() {
  std::fputs("usage: sw_bench_make_shape OUT.s [--points N] [--sub-objects N]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Layout l;
  const char* path = nullptr;
  for (int a = 1; a < argc; ++a) {
    std::string_view arg = argv[a];
    if (arg == "--points" && a + 1 < argc) {
      if (!ParseCount(argv[++a], l.point_count)) return Usage();
    } else if (arg == "--sub-objects" && a + 1 < argc) {
      if (!ParseCount(argv[++a], l.sub_object_count)) return Usage();
    } else if (path == nullptr && !arg.starts_with("-")) {
      path = argv[a];
    } else {
      return Usage();
    }
  }
  if (path == nullptr) return Usage();
  l.points_per_sub_object = l.point_count / l.sub_object_count;
  if (l.points_per_sub_object < 2 * kGridColumns * 2) {
    std::fputs("sw_bench_make_shape: too few points for that many sub-objects\n", stderr);
    return 2;
  }
  l.point_count = l.points_per_sub_object * l.sub_object_count;
  l.uv_point_count = l.point_count / 4;
  l.normal_count = l.point_count / 4;
  l.grid_rows = l.points_per_sub_object / (2 * kGridColumns);
  l.vertex_count = l.grid_rows * kGridColumns;
  l.triangle_count = (l.grid_rows - 1) * (kGridColumns - 1) * 2;
  l.primitive_count = (l.triangle_count + kTrianglesPerPrimitive - 1) / kTrianglesPerPrimitive;

  std::vector<MatrixSpec> matrices = MakeMatrices();
  std::vector<std::string> images = MakeImages();
  const int prim_state_count = 48;

  Utf16Writer out;
  out.file = std::fopen(path, "wb");
  if (out.file == nullptr) {
    std::perror(path);
    return 1;
  }
  out.buffer.reserve((1u << 20) + 4096);
  out.buffer.push_back(0xFF);
  out.buffer.push_back(0xFE);
  WriteHead(out);
  WritePoints(out, l);
  WriteUvPoints(out, l);
  WriteNormals(out, l);
  WriteGlobalTables(out, matrices, images, prim_state_count);
  WriteHierarchyHead(out, matrices, l);
  for (int64_t s = 0; s < l.sub_object_count; ++s) WriteSubObject(out, l, s, prim_state_count);
  WriteTail(out);
  FlushWriter(out);
  if (std::fclose(out.file) != 0 || out.failed) {
    std::perror(path);
    return 1;
  }
  std::printf(
      "points=%lld\nuv_points=%lld\nnormals=%lld\nmatrices=%zu\nimages=%zu\nvtx_states=%zu\n"
      "prim_states=%d\nsub_objects=%lld\nvertices_per_sub_object=%lld\ntriangles_per_sub_object=%"
      "lld\n"
      "primitives_per_sub_object=%lld\nmost_indexes_per_list=%d\n",
      static_cast<long long>(l.point_count), static_cast<long long>(l.uv_point_count),
      static_cast<long long>(l.normal_count), matrices.size(), images.size(), matrices.size(),
      prim_state_count, static_cast<long long>(l.sub_object_count),
      static_cast<long long>(l.vertex_count), static_cast<long long>(l.triangle_count),
      static_cast<long long>(l.primitive_count), kTrianglesPerPrimitive * 3);
  return 0;
}
