// The shape token table. The schema texts use the notation of the format notes: "type name"
// for a value, "<token>" for a child block, "[...]" for an optional trailing item,
// "count*..." for as many repetitions as the value before says, "rest*<...>" for children
// up to the end of the block.
#include "shape_tokens.h"

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <string>

namespace ffedit {
namespace {

struct TokenRow {
  uint16_t id;
  const char* name;  // the name written in the text form
  const char* key;   // the name schema texts refer to it by
  LabelRule label;
  const char* values;
};

// max_data holds its own kind of sub_objects (a plain list of numbers), reached only from
// there, hence the extra row keyed "max_sub_objects".
const TokenRow kTokenRows[] = {
    {71, "shape", "shape", LabelRule::kNone,
     "<shape_header>, <volumes>, <shader_names>, <texture_filter_names>, <points>, <uv_points>, "
     "<normals>, <sort_vectors>, <colours>, <matrices>, <images>, <textures>, <light_materials>, "
     "<light_model_cfgs>, <vtx_states>, <prim_states>, <lod_controls>, [<animations>]"},
    {70, "shape_header", "shape_header", LabelRule::kNone, "dword flags1, [dword flags2]"},
    {68, "volumes", "volumes", LabelRule::kNone, "uint count, count*<vol_sphere>"},
    {69, "vol_sphere", "vol_sphere", LabelRule::kNone, "<vector>, float radius"},
    {3, "vector", "vector", LabelRule::kNone, "float x, float y, float z"},
    {72, "shader_names", "shader_names", LabelRule::kNone, "uint count, count*<named_shader>"},
    {129, "named_shader", "named_shader", LabelRule::kNone, "string name"},
    {74, "texture_filter_names", "texture_filter_names", LabelRule::kNone,
     "uint count, count*<named_filter_mode>"},
    {125, "named_filter_mode", "named_filter_mode", LabelRule::kNone, "string name"},
    {7, "points", "points", LabelRule::kNone, "uint count, count*<point>"},
    {2, "point", "point", LabelRule::kNone, "float x, float y, float z"},
    {9, "uv_points", "uv_points", LabelRule::kNone, "uint count, count*<uv_point>"},
    {8, "uv_point", "uv_point", LabelRule::kNone, "float u, float v"},
    {5, "normals", "normals", LabelRule::kNone, "uint count, count*<vector>"},
    {76, "sort_vectors", "sort_vectors", LabelRule::kNone, "uint count, count*<vector>"},
    {11, "colours", "colours", LabelRule::kNone, "uint count, count*<colour>"},
    {10, "colour", "colour", LabelRule::kNone, "float a, float r, float g, float b"},
    {66, "matrices", "matrices", LabelRule::kNone, "uint count, count*<matrix>"},
    {65, "matrix", "matrix", LabelRule::kRequired,
     "float ax, float ay, float az, float bx, float by, float bz, float cx, float cy, float cz, "
     "float dx, float dy, float dz"},
    {14, "images", "images", LabelRule::kNone, "uint count, count*<image>"},
    {13, "image", "image", LabelRule::kNone, "string file"},
    {16, "textures", "textures", LabelRule::kNone, "uint count, count*<texture>"},
    {15, "texture", "texture", LabelRule::kNone,
     "uint image, uint filter_mode, float mipmap_lod_bias, [dword border_colour]"},
    {18, "light_materials", "light_materials", LabelRule::kNone,
     "uint count, count*<light_material>"},
    {17, "light_material", "light_material", LabelRule::kNone,
     "dword flags, uint diffuse_colour, uint ambient_colour, uint specular_colour, uint "
     "emissive_colour, float specular_power"},
    {79, "light_model_cfgs", "light_model_cfgs", LabelRule::kNone,
     "uint count, count*<light_model_cfg>"},
    {80, "light_model_cfg", "light_model_cfg", LabelRule::kNone, "dword flags, <uv_ops>"},
    {81, "uv_ops", "uv_ops", LabelRule::kNone,
     "uint count, "
     "count*<uv_op_copy|uv_op_reflectmapfull|uv_op_reflectmap|uv_op_uniformscale|uv_op_"
     "nonuniformscale>"},
    {84, "uv_op_copy", "uv_op_copy", LabelRule::kNone,
     "uint tex_address_mode, uint source_uv_index"},
    {93, "uv_op_reflectmapfull", "uv_op_reflectmapfull", LabelRule::kNone, "uint tex_address_mode"},
    {92, "uv_op_reflectmap", "uv_op_reflectmap", LabelRule::kNone, "uint tex_address_mode"},
    {85, "uv_op_uniformscale", "uv_op_uniformscale", LabelRule::kNone,
     "uint tex_address_mode, uint source_uv_index, float scale"},
    {87, "uv_op_nonuniformscale", "uv_op_nonuniformscale", LabelRule::kNone,
     "uint tex_address_mode, uint source_uv_index, float scale_u, float scale_v"},
    {47, "vtx_states", "vtx_states", LabelRule::kNone, "uint count, count*<vtx_state>"},
    {46, "vtx_state", "vtx_state", LabelRule::kNone,
     "dword flags, uint matrix, sint light_material, uint light_model_cfg, dword light_flags, "
     "[sint matrix2]"},
    {55, "prim_states", "prim_states", LabelRule::kNone, "uint count, count*<prim_state>"},
    {54, "prim_state", "prim_state", LabelRule::kOptional,
     "dword flags, uint shader, <tex_idxs>, float z_bias, sint vtx_state, [uint alpha_test_mode], "
     "[uint light_model_cfg], [uint z_buffer_mode]"},
    {61, "tex_idxs", "tex_idxs", LabelRule::kNone, "uint count, count*uint texture"},
    {31, "lod_controls", "lod_controls", LabelRule::kNone, "uint count, count*<lod_control>"},
    {32, "lod_control", "lod_control", LabelRule::kNone,
     "<distance_levels_header>, <distance_levels>"},
    {33, "distance_levels_header", "distance_levels_header", LabelRule::kNone, "uint dlevel_bias"},
    {36, "distance_levels", "distance_levels", LabelRule::kNone,
     "uint count, count*<distance_level>"},
    {37, "distance_level", "distance_level", LabelRule::kNone,
     "<distance_level_header>, <sub_objects>"},
    {34, "distance_level_header", "distance_level_header", LabelRule::kNone,
     "<dlevel_selection>, <hierarchy>"},
    {35, "dlevel_selection", "dlevel_selection", LabelRule::kNone, "float distance"},
    {67, "hierarchy", "hierarchy", LabelRule::kNone, "uint count, count*sint parent"},
    {38, "sub_objects", "sub_objects", LabelRule::kNone, "uint count, count*<sub_object>"},
    {39, "sub_object", "sub_object", LabelRule::kNone,
     "<sub_object_header>, <vertices>, <vertex_sets>, <primitives>"},
    {40, "sub_object_header", "sub_object_header", LabelRule::kNone,
     "dword flags, sint sort_vector, sint volume, dword source_vertex_format, dword "
     "destination_vertex_format, <geometry_info>, [<subobject_shaders>], [<subobject_light_cfgs>], "
     "[uint sub_object_id]"},
    {41, "geometry_info", "geometry_info", LabelRule::kNone,
     "uint face_normals, uint tx_light_cmds, uint node_x_tx_light_cmds, uint trilist_indices, uint "
     "line_list_indices, uint node_x_trilist_indices, uint trilists, uint line_lists, uint "
     "point_lists, uint node_x_trilists, <geometry_nodes>, <geometry_node_map>"},
    {42, "geometry_nodes", "geometry_nodes", LabelRule::kNone, "uint count, count*<geometry_node>"},
    {43, "geometry_node", "geometry_node", LabelRule::kNone,
     "uint tx_light_cmds, uint node_x_tx_light_cmds, uint trilists, uint line_lists, uint "
     "point_lists, <cullable_prims>"},
    {45, "cullable_prims", "cullable_prims", LabelRule::kNone,
     "uint prims, uint flat_sections, uint prim_indices"},
    {44, "geometry_node_map", "geometry_node_map", LabelRule::kNone, "uint count, count*sint node"},
    {104, "subobject_shaders", "subobject_shaders", LabelRule::kNone,
     "uint count, count*uint shader"},
    {105, "subobject_light_cfgs", "subobject_light_cfgs", LabelRule::kNone,
     "uint count, count*uint light_model_cfg"},
    {50, "vertices", "vertices", LabelRule::kNone, "uint count, count*<vertex>"},
    {48, "vertex", "vertex", LabelRule::kNone,
     "dword flags, uint point, uint normal, dword colour1, dword colour2, <vertex_uvs>"},
    {49, "vertex_uvs", "vertex_uvs", LabelRule::kNone, "uint count, count*uint uv_point"},
    {52, "vertex_sets", "vertex_sets", LabelRule::kNone, "uint count, count*<vertex_set>"},
    {51, "vertex_set", "vertex_set", LabelRule::kNone,
     "uint vtx_state, uint first_vertex, uint vertex_count"},
    {53, "primitives", "primitives", LabelRule::kNone,
     "uint count, count*<prim_state_idx|indexed_trilist>"},
    {56, "prim_state_idx", "prim_state_idx", LabelRule::kNone, "uint prim_state"},
    {60, "indexed_trilist", "indexed_trilist", LabelRule::kNone,
     "<vertex_idxs>, <normal_idxs>, <flags>"},
    {63, "vertex_idxs", "vertex_idxs", LabelRule::kNone, "uint count, count*uint vertex"},
    {6, "normal_idxs", "normal_idxs", LabelRule::kNone,
     "uint count, count*(uint normal, uint unknown)"},
    {64, "flags", "flags", LabelRule::kNone, "uint count, count*dword flag"},
    {29, "animations", "animations", LabelRule::kNone, "uint count, count*<animation>"},
    {28, "animation", "animation", LabelRule::kNone,
     "uint frame_count, uint frame_rate, <anim_nodes>"},
    {27, "anim_nodes", "anim_nodes", LabelRule::kNone, "uint count, count*<anim_node>"},
    {26, "anim_node", "anim_node", LabelRule::kRequired, "<controllers>"},
    {25, "controllers", "controllers", LabelRule::kNone,
     "uint count, count*<tcb_rot|linear_pos|tcb_pos>"},
    {24, "tcb_rot", "tcb_rot", LabelRule::kNone, "uint count, count*<slerp_rot|tcb_key>"},
    {23, "slerp_rot", "slerp_rot", LabelRule::kNone,
     "uint frame, float x, float y, float z, float w"},
    {20, "tcb_key", "tcb_key", LabelRule::kNone,
     "uint frame, float x, float y, float z, float w, float tension, float continuity, float bias, "
     "float ease_in, float ease_out"},
    {21, "linear_pos", "linear_pos", LabelRule::kNone, "uint count, count*<linear_key>"},
    {19, "linear_key", "linear_key", LabelRule::kNone, "uint frame, float x, float y, float z"},
    {22, "tcb_pos", "tcb_pos", LabelRule::kNone, "uint count, count*<tcb_key>"},
    {245, "max_data", "max_data", LabelRule::kNone,
     "<max_dlev_data>, <matrices>, <max_sub_objects>, <max_sort_priorities>"},
    {246, "max_dlev_data", "max_dlev_data", LabelRule::kNone,
     "rest*<max_smoothing_data|hierarchy>"},
    {247, "max_smoothing_data", "max_smoothing_data", LabelRule::kNone,
     "uint count, count*dword group, uint last"},
    {248, "max_sort_priorities", "max_sort_priorities", LabelRule::kNone,
     "uint count, count*uint priority"},
    {1, "comment", "comment", LabelRule::kNone, "(text only)"},
    {4, "quat", "quat", LabelRule::kNone, "unknown"},
    {12, "packed_colour", "packed_colour", LabelRule::kNone, "unknown"},
    {30, "anim", "anim", LabelRule::kNone, "unknown"},
    {57, "indexed_point_list", "indexed_point_list", LabelRule::kNone, "unknown"},
    {58, "point_list", "point_list", LabelRule::kNone, "unknown"},
    {59, "indexed_line_list", "indexed_line_list", LabelRule::kNone, "unknown"},
    {62, "tri", "tri", LabelRule::kNone, "unknown"},
    {73, "shader_name", "shader_name", LabelRule::kNone, "unknown"},
    {75, "texture_filter_name", "texture_filter_name", LabelRule::kNone, "unknown"},
    {77, "uvop_arg_sets", "uvop_arg_sets", LabelRule::kNone, "unknown"},
    {78, "uvop_arg_set", "uvop_arg_set", LabelRule::kNone, "unknown"},
    {82, "uvop_copy", "uvop_copy", LabelRule::kNone, "unknown"},
    {83, "uv_op_share", "uv_op_share", LabelRule::kNone, "unknown"},
    {86, "uv_op_user_uninformscale", "uv_op_user_uninformscale", LabelRule::kNone, "unknown"},
    {88, "uv_op_user_nonuninformscale", "uv_op_user_nonuninformscale", LabelRule::kNone, "unknown"},
    {89, "uv_op_transform", "uv_op_transform", LabelRule::kNone, "unknown"},
    {90, "uv_op_user_transform", "uv_op_user_transform", LabelRule::kNone, "unknown"},
    {91, "uv_op_reflectxy", "uv_op_reflectxy", LabelRule::kNone, "unknown"},
    {94, "uv_op_spheremap", "uv_op_spheremap", LabelRule::kNone, "unknown"},
    {95, "uv_op_spheremapfull", "uv_op_spheremapfull", LabelRule::kNone, "unknown"},
    {96, "uv_op_specularmap", "uv_op_specularmap", LabelRule::kNone, "unknown"},
    {97, "uv_op_embossbump", "uv_op_embossbump", LabelRule::kNone, "unknown"},
    {98, "user_uv_args", "user_uv_args", LabelRule::kNone, "unknown"},
    {106, "shape_named_data", "shape_named_data", LabelRule::kNone, "unknown"},
    {107, "shape_named_data_header", "shape_named_data_header", LabelRule::kNone, "unknown"},
    {108, "shape_named_geometry", "shape_named_geometry", LabelRule::kNone, "unknown"},
    {109, "shape_geom_ref", "shape_geom_ref", LabelRule::kNone, "unknown"},
    {249, "uv_op_diffusemap", "uv_op_diffusemap", LabelRule::kNone, "unknown"},
    {38, "sub_objects", "max_sub_objects", LabelRule::kNone, "uint count, count*uint sub_object"},
};

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Splits at commas outside parentheses.
std::vector<std::string_view> SplitSchemaItems(std::string_view text) {
  std::vector<std::string_view> parts;
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '(') ++depth;
    if (text[i] == ')') --depth;
    if (text[i] == ',' && depth == 0) {
      parts.push_back(TrimSpaces(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  parts.push_back(TrimSpaces(text.substr(start)));
  return parts;
}

ValueType ParseValueType(std::string_view typed_name) {
  std::string_view type = typed_name.substr(0, typed_name.find(' '));
  if (type == "uint") return ValueType::kUint;
  if (type == "sint") return ValueType::kSint;
  if (type == "float") return ValueType::kFloat;
  if (type == "dword") return ValueType::kDword;
  if (type == "string") return ValueType::kString;
  assert(!"unknown value type in the token table");
  std::abort();
}

// "<a|b>": the child names, resolved to token indexes after every row is known.
void ParseChildNames(std::string_view text, SchemaItem& item,
                     std::vector<std::string_view>& pending_names) {
  assert(text.size() > 2 && text.front() == '<' && text.back() == '>');
  text = text.substr(1, text.size() - 2);
  item.allowed_first = static_cast<uint16_t>(pending_names.size());
  while (true) {
    size_t bar = text.find('|');
    pending_names.push_back(text.substr(0, bar));
    ++item.allowed_count;
    if (bar == std::string_view::npos) break;
    text.remove_prefix(bar + 1);
  }
}

SchemaItem ParseSchemaItem(std::string_view text, std::vector<std::string_view>& pending_names) {
  SchemaItem item;
  if (text.front() == '[') {
    item.optional = true;
    text = text.substr(1, text.size() - 2);
  }
  size_t star = text.find('*');
  if (star != std::string_view::npos) {
    std::string_view repeated = text.substr(star + 1);
    bool rest = text.substr(0, star) == "rest";
    if (repeated.front() == '<') {
      item.kind = rest ? SchemaItemKind::kRestChildren : SchemaItemKind::kCountedChildren;
      ParseChildNames(repeated, item, pending_names);
    } else if (repeated.front() == '(') {
      item.kind = SchemaItemKind::kCountedValues;
      std::vector<std::string_view> group =
          SplitSchemaItems(repeated.substr(1, repeated.size() - 2));
      assert(group.size() == 2);
      item.type_count = 2;
      item.types[0] = ParseValueType(group[0]);
      item.types[1] = ParseValueType(group[1]);
    } else {
      item.kind = SchemaItemKind::kCountedValues;
      item.types[0] = ParseValueType(repeated);
    }
  } else if (text.front() == '<') {
    item.kind = SchemaItemKind::kChild;
    ParseChildNames(text, item, pending_names);
  } else {
    item.kind = SchemaItemKind::kValue;
    item.types[0] = ParseValueType(text);
  }
  return item;
}

// The content size of a schema of required numbers only; 0 for any other schema.
uint16_t FixedContentSize(const ShapeTokenTable& table, const TokenSchema& token) {
  size_t size = 0;
  for (uint16_t i = 0; i < token.items_count; ++i) {
    const SchemaItem& item = table.items[token.items_first + i];
    if (item.kind != SchemaItemKind::kValue || item.optional || item.types[0] == ValueType::kString)
      return 0;
    size += 4u * item.repeat;
  }
  return static_cast<uint16_t>(size);
}

int FindTokenByKey(const std::vector<TokenRow>& rows, std::string_view key) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (key == rows[i].key) return static_cast<int>(i);
  }
  return -1;
}

ShapeTokenTable BuildShapeTokenTable() {
  ShapeTokenTable table;
  std::vector<TokenRow> rows(std::begin(kTokenRows), std::end(kTokenRows));
  std::vector<std::string_view> pending_names;
  for (int16_t& index : table.index_by_id) index = -1;
  for (size_t i = 0; i < rows.size(); ++i) {
    const TokenRow& row = rows[i];
    TokenSchema token;
    token.id = row.id;
    token.name = row.name;
    token.label = row.label;
    token.context_only = std::strcmp(row.name, row.key) != 0;
    std::string_view values = row.values;
    token.text_only = values == "(text only)";
    token.layout_known = !token.text_only && values != "unknown";
    token.items_first = static_cast<uint16_t>(table.items.size());
    if (token.layout_known) {
      for (std::string_view part : SplitSchemaItems(values)) {
        SchemaItem item = ParseSchemaItem(part, pending_names);
        // Required values of one type in a row ("float x, float y, float z") are read as one.
        if (table.items.size() > token.items_first) {
          SchemaItem& last = table.items.back();
          if (item.kind == SchemaItemKind::kValue && last.kind == SchemaItemKind::kValue &&
              !item.optional && !last.optional && item.types[0] == last.types[0] &&
              item.types[0] != ValueType::kString) {
            ++last.repeat;
            continue;
          }
        }
        table.items.push_back(item);
      }
    }
    token.items_count = static_cast<uint16_t>(table.items.size() - token.items_first);
    token.fixed_size = FixedContentSize(table, token);
    token.fixed_one_type = token.fixed_size != 0;
    for (uint16_t k = 1; k < token.items_count; ++k) {
      if (table.items[token.items_first + k].types[0] != table.items[token.items_first].types[0]) {
        token.fixed_one_type = false;
      }
    }
    if (!token.context_only) {
      assert(row.id < 256 && table.index_by_id[row.id] == -1);
      table.index_by_id[row.id] = static_cast<int16_t>(i);
    }
    table.tokens.push_back(token);
  }
  for (std::string_view name : pending_names) {
    int index = FindTokenByKey(rows, name);
    assert(index >= 0 && "a schema names a token missing from the table");
    table.allowed.push_back(static_cast<uint16_t>(index));
  }
  return table;
}

}  // namespace

const ShapeTokenTable& GetShapeTokenTable() {
  static const ShapeTokenTable table = BuildShapeTokenTable();
  return table;
}

int FindTokenById(const ShapeTokenTable& table, uint32_t id) {
  if (id >= 256) return -1;
  return table.index_by_id[id];
}

int FindTokenByName(const ShapeTokenTable& table, std::string_view name) {
  for (size_t i = 0; i < table.tokens.size(); ++i) {
    if (!table.tokens[i].context_only && table.tokens[i].name == name) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace ffedit
