#include "convert/primitives.h"

#include "convert/assembly.h"
#include "convert/geometry.h"
#include "convert/numbers.h"
#include "convert/run.h"
#include "convert/shape_keywords.h"
#include "convert/vertex_table.h"
#include "platform/version_info.h"

namespace {

void AppendComponentName(std::string& out, const Run& run, int32_t i, int32_t k) {
  out += run.ModelName;
  out += '.';
  AppendInt(out, i);
  out += '.';
  AppendInt(out, k);
}

// A vertex entry's index beeps only when it is at or past its table's count: a negative one
// passes without a beep, and the table's accessor reads it as the zero entry. The index is
// kept either way.
void CheckVertexEntryIndex(Run& run, std::string_view what, int32_t index, int32_t count) {
  if (index >= 0) CheckIndexBelow(run, what, index, count);
}

// Reads one vertex entry into the next entry of vertices; false (after a beep) when a line
// lacks its keyword. The entry is stored as soon as its first line matched, so an entry whose
// uv line mismatches keeps the point and normal it read (and uv index 0).
bool ReadVertexEntry(Run& run, VertexTable& vertices) {
  if (!ReadKeywordLine(run, keywords::kVertex)) return false;
  SubObjectVertex& vertex = vertices.entries.emplace_back();
  SkipPast(run.line, '(');
  SkipPast(run.line, ' ');  // the flags
  vertex.point_idx = ReadIntField(run);
  SkipPast(run.line, ' ');
  vertex.normal_idx = ReadIntField(run);
  // The uv list may share the vertex's line or stand on the next one.
  size_t uvs = LineView(run.line).find(keywords::kVertexUvs);
  if (uvs != std::string_view::npos && uvs > 0) {
    run.line.begin += uvs;
  } else {
    ReadLine(run);
  }
  NormaliseLine(run.line);
  if (!LineHasKeyword(run, keywords::kVertexUvs)) return false;
  SkipPast(run.line, '(');
  SkipPast(run.line, '(');
  int32_t uv_count = ReadIntField(run);
  vertex.uv_idx = 0;
  if (uv_count != 0) {
    SkipPast(run.line, ' ');
    vertex.uv_idx = ReadIntField(run);
  }
  std::string_view rest = LineView(run.line);
  size_t close = rest.find(')');
  if (close != std::string_view::npos) {
    run.line.begin += close + 1;
    rest.remove_prefix(close + 1);
  }
  if (rest.find(')') == std::string_view::npos) ReadLine(run);  // the entry's closing line
  const ShapeTables& t = run.tables;
  CheckVertexEntryIndex(run, "point", vertex.point_idx, t.point_count);
  CheckVertexEntryIndex(run, "normal", vertex.normal_idx, t.normal_count);
  CheckVertexEntryIndex(run, "uv", vertex.uv_idx, t.uv_point_count);
  return true;
}

void ReadSubObjectVertices(Run& run, VertexTable& vertices) {
  SeekSectionOrAbort(run, keywords::kVertices);
  vertices = VertexTable{};
  vertices.vertex_count = ReadSectionCount(run.line);
  run.log.AppendLog("Reading vertices");
  if (vertices.vertex_count > 0) {
    uint64_t bound = run.source.total_bytes / 16 + 1;  // a vertex entry takes 8 characters at least
    vertices.entries.reserve(static_cast<size_t>(
        std::min<uint64_t>(static_cast<uint64_t>(vertices.vertex_count), bound)));
  }
  for (int32_t v = 0; v < vertices.vertex_count; ++v) {
    if (!ReadVertexEntry(run, vertices)) return;
  }
}

void WriteComponentHead(Run& run, int32_t i, int32_t k, int32_t primitive_count) {
  std::string log_line = "      Processing primitive ";
  AppendInt(log_line, int64_t{k} + 1);
  log_line += " of ";
  AppendInt(log_line, primitive_count);
  run.log.AppendLog(log_line);
  std::string& out = run.text;
  out = "[end]\n## Sub ";
  AppendInt(out, i);
  out += " Primitive ";
  AppendInt(out, k);
  out += "\nName ";
  AppendComponentName(out, run, i, k);
  ++run.written.components;
  out += "\nMillimetric\nComponent\n";
  WriteText(run.model, out);
}

// The INCLUDE line of primitive k: placed in the assembly under a root matrix, attached to
// its matrix's component otherwise.
void CollectInclude(Run& run, int32_t i, int32_t k, int32_t m, const ShapeMatrix& matrix) {
  std::string line = "\tINCLUDE ";
  bool placed = MatrixParent(run.tables, m) < 0;
  if (placed) {
    double scale = run.UnitScale;
    AppendWholeTriple(line, scale * static_cast<double>(matrix.values[9]),
                      scale * (0.5 * static_cast<double>(run.options.Length) +
                               static_cast<double>(matrix.values[11])),
                      scale * static_cast<double>(matrix.values[10]));
  } else {
    line += "0/0/0";
  }
  line += "\t ";
  AppendComponentName(line, run, i, k);
  line += "\t## ";
  line += matrix.name;
  line += '\n';
  if (placed) {
    run.AssemblyIncludes += line;
  } else {
    MatrixIncludes(run.tables, m) += line;
  }
}

// Steps after the prim_state_idx line: the Skin line, the INCLUDE text and the geometry.
bool WritePrimitiveBody(Run& run, int32_t i, int32_t k, int32_t p, VertexTable& vertices,
                        bool trilist_line_read) {
  const ShapeTables& t = run.tables;
  bool state_known = p >= 0 && p < t.prim_state_count;
  PrimState state = PrimStateAt(t, p);
  bool vtx_state_known = state_known && state.vtx_state >= 0 && state.vtx_state < t.vtx_state_count;
  int32_t m = vtx_state_known ? VtxStateAt(t, state.vtx_state) : -1;
  if (state_known && state.tex_idx >= 0 && state.tex_idx < t.image_count) {
    WriteText(run.model, "Skin \"" + ReplaceAceWithTga(ImageAt(t, state.tex_idx)) + "\"\n");
  }
  if (!CheckIndexBelow(run, "matrix", m, t.matrix_count)) m = 0;
  const ShapeMatrix& matrix = MatrixAt(t, m);
  CollectInclude(run, i, k, m, matrix);
  return WriteGeometryBlocks(run, vertices, matrix, trilist_line_read);
}

// The primitives of one sub-object. The count counts every entry: a prim_state_idx and each
// indexed_trilist after it, which shares its prim state.
void WritePrimitives(Run& run, int32_t i, VertexTable& vertices) {
  SeekSectionOrAbort(run, keywords::kPrimitives);
  int32_t count = ReadSectionCount(run.line);
  int32_t primitive_count = count / 2;
  int64_t left = count;
  bool have_state = false;
  int32_t state = 0;
  for (int32_t k = 0;; ++k) {
    bool shared = false;
    if (left >= 2) {
      WriteComponentHead(run, i, k, primitive_count);
      ReadNormalisedLine(run);
      if (LineStartsWith(run.line, keywords::kPrimStateIdx)) {
        SkipPast(run.line, '(');
        state = ReadIntField(run);
        left -= 2;
      } else if (have_state && LineStartsWith(run.line, keywords::kIndexedTrilist)) {
        shared = true;
        left -= 1;
      } else {
        BeepAt(run, QuotedKeyword(keywords::kPrimStateIdx));
        return;
      }
    } else if (left == 1 && have_state) {
      ReadNormalisedLine(run);
      if (!LineStartsWith(run.line, keywords::kIndexedTrilist)) return;
      WriteComponentHead(run, i, k, primitive_count);
      shared = true;
      left -= 1;
    } else {
      return;
    }
    have_state = true;
    if (!WritePrimitiveBody(run, i, k, state, vertices, shared)) return;
  }
}

}  // namespace

void WriteHeaderComment(Run& run) {
  WriteText(run.model, "##\tCONVERTED FROM MSTS .S FILE\n##\twith Shapewright conversion tool\n");
  CVersionInfo version;
  version.ReadFromModule(nullptr);
  WriteText(run.model,
            "##\t" + version.GetFileDescription() + "\t" + version.GetFileVersion() + "\n");
}

void WriteSubObjects(Run& run) {
  int32_t count = run.tables.sub_object_count;
  VertexTable vertices;
  for (int32_t i = 0; i < count; ++i) {
    std::string log_line = "Processing sub-object ";
    AppendInt(log_line, int64_t{i} + 1);
    log_line += " of ";
    AppendInt(log_line, count);
    run.log.AppendLog(log_line);
    ReadSubObjectVertices(run, vertices);
    WritePrimitives(run, i, vertices);
    WriteText(run.model, "[end]\n\n");
  }
}
