#!/usr/bin/env python3
"""make_seeds.py [FOLDER]: writes the seed inputs of fuzz_conversion (default: ./seeds beside
this script). Each seed is one options byte, a shape text and, after "#ENG#", an ENG/WAG file,
both as MSTS text: UTF-16LE behind FF FE, CR LF line ends (one seed keeps bare LF ends, and
one takes its ENG/WAG files in the other forms they are read in: UTF-16BE, UTF-8 with and
without its mark, with LF ends and Latin-1 names)."""
import os
import sys

MARKER = b"#ENG#"


MARKS = {"utf-16-le": b"\xff\xfe", "utf-16-be": b"\xfe\xff", "utf-8-sig": b"", "utf-8": b""}


def msts_text(text, line_end="\r\n", encoding="utf-16-le"):
    text = text.replace("\r\n", "\n").replace("\n", line_end)
    return MARKS[encoding] + text.encode(encoding)


def options(two_foot=False, wag=False, no_eng=False, length_steps=0):
    return bytes([(1 if two_foot else 0) | (2 if wag else 0) | (4 if no_eng else 0) | (length_steps << 3)])


def vertex(point, normal, uv, split=True):
    if split:
        return (f"\t\tvertex ( 00000000 {point} {normal} ffffffff ff000000\n"
                f"\t\t\tvertex_uvs ( 1 {uv} )\n\t\t)\n")
    return f"\t\tvertex ( 00000000 {point} {normal} ffffffff ff000000 vertex_uvs ( 1 {uv} ) )\n"


def trilist(indexes, per_line=18):
    chunks = [" ".join(str(i) for i in indexes[n:n + per_line]) for n in range(0, len(indexes), per_line)]
    triangles = len(indexes) // 3
    return ("\t\tindexed_trilist (\n"
            f"\t\t\tvertex_idxs ( {len(indexes)} " + "\n\t\t\t\t".join(chunks) + " )\n"
            f"\t\t\tnormal_idxs ( {triangles} " + " ".join("0 3" for _ in range(triangles)) + " )\n"
            f"\t\t\tflags ( {triangles} " + " ".join("00000000" for _ in range(triangles)) + " )\n"
            "\t\t)\n")


def shape(points, uvs, normals, matrices, images, vtx_states, prim_states, hierarchy, sub_objects):
    """matrices: (name, twelve numbers); prim_states: (tex_idx, vtx_state); sub_objects:
    (vertex lines, primitive entries text, primitive count)."""
    out = ["SIMISA@@@@@@@@@@JINX0s1t______\n\nshape (\n\tshape_header ( 00000000 00000000 )\n"]
    out.append(f"\tpoints ( {len(points)}\n" + "".join(f"\t\tpoint ( {p} )\n" for p in points) + "\t)\n")
    out.append(f"\tuv_points ( {len(uvs)}\n" + "".join(f"\t\tuv_point ( {u} )\n" for u in uvs) + "\t)\n")
    out.append(f"\tnormals ( {len(normals)}\n" + "".join(f"\t\tvector ( {n} )\n" for n in normals) + "\t)\n")
    out.append(f"\tmatrices ( {len(matrices)}\n" +
               "".join(f"\t\tmatrix {name} ( {values} )\n" for name, values in matrices) + "\t)\n")
    out.append(f"\timages ( {len(images)}\n" + "".join(f"\t\timage ( {i} )\n" for i in images) + "\t)\n")
    out.append(f"\tvtx_states ( {len(vtx_states)}\n" +
               "".join(f"\t\tvtx_state ( 00000000 {m} -5 0 00000002 )\n" for m in vtx_states) + "\t)\n")
    out.append(f"\tprim_states ( {len(prim_states)}\n" +
               "".join(f"\t\tprim_state ps{n} ( 00000000 0\n\t\t\ttex_idxs ( 1 {t} ) 0 {v} 1 1 1\n\t\t)\n"
                       for n, (t, v) in enumerate(prim_states)) + "\t)\n")
    out.append("\tlod_controls ( 1\n\t\tdistance_level (\n"
               f"\t\t\thierarchy ( {len(hierarchy)} " + " ".join(str(h) for h in hierarchy) + " )\n")
    out.append(f"\t\tsub_objects ( {len(sub_objects)}\n")
    for vertices, primitives, count in sub_objects:
        out.append("\tsub_object (\n")
        out.append(f"\tvertices ( {len(vertices)}\n" + "".join(vertices) + "\t)\n")
        out.append(f"\tprimitives ( {count}\n" + primitives + "\t)\n\t)\n")
    out.append("\t\t)\n\t)\n)\n")
    return "".join(out)


CUBE_POINTS = ["-1 0 -2", "-1 0 2", "-1 2 -2", "-1 2 2", "1 0 -2", "1 0 2", "1 2 -2", "1 2 2"]
WHEEL_POINTS = ["-0.7 -0.46 -0.46", "-0.7 0.46 -0.46", "-0.7 0.46 0.46", "-0.7 -0.46 0.46"]
UVS = ["0 0", "1 0", "1 1", "0 1"]
NORMALS = ["-1 0 0", "1 0 0", "0 -1 0", "0 1 0", "0 0 -1", "0 0 1"]
IDENTITY = "1 0 0 0 1 0 0 0 1"

STEAM_ENG = """SIMISA@@@@@@@@@@JINX0D0t______

Wagon ( Seed
\tType ( Engine )
\tWagonShape ( Shape.s )
\tMass ( 92t )
)
Engine ( Seed
\tType ( Steam )
\tWheelRadius ( 36in )
\tMaxPower ( 1200kW )
\tMaxForce ( 45000lbf )
\tMaxVelocity ( 60mph )
\tNumCylinders ( 2 )
\tCylinderStroke ( 26in )
\tCylinderDiameter ( 0.5 )
\tBoilerVolume ( "220*(ft^3)" )
\tMaxBoilerPressure ( 200psi )
\tSafetyValvesFX (
\t\tStream (
\t\t0.4 4.3 1.2
\t)
\tStackFX (
\t\tStream (
\t\t0 4.5 6.2
)
"""

WAGON_WAG = """SIMISA@@@@@@@@@@JINX0D0t______

Wagon ( Seed
\tType ( Freight )
\tMass ( 24.5t )
\tMaxVelocity ( 100 )
)"""


def cube_vertices(split=True):
    return [vertex(p, n, uv, split) for p, n, uv in
            [(0, 0, 0), (1, 0, 1), (3, 0, 2), (2, 0, 3), (4, 1, 0), (6, 1, 1), (7, 1, 2), (5, 1, 3)]]


def seed_minimal():
    body = shape(CUBE_POINTS, UVS, NORMALS, [("MAIN", IDENTITY + " 0 0 0")], ["Body.ace"], [0], [(0, 0)],
                 [-1], [(cube_vertices(), "\t\tprim_state_idx ( 0 )\n" + trilist([0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7]), 2)])
    return options(length_steps=8) + msts_text(body) + MARKER + msts_text(STEAM_ENG)


def seed_hierarchy():
    points = CUBE_POINTS + WHEEL_POINTS
    matrices = [("MAIN", IDENTITY + " 0 0 0"), ("BOGIE1", IDENTITY + " 0 0.72 4.6"),
                ("WHEELS11", IDENTITY + " 0 -0.26 0"), ("BOGIE2", IDENTITY + " 0 0.72 -4.6"),
                ("WHEELS21", IDENTITY + " 0 -0.26 0.0625")]
    wheel = [vertex(8 + n, 0, n) for n in range(4)]
    shared = ("\t\tprim_state_idx ( 1 )\n" + trilist([0, 1, 2]) + trilist([0, 2, 3]))
    sub_objects = [
        (cube_vertices(split=False), "\t\tprim_state_idx ( 0 )\n" + trilist([0, 1, 2, 0, 2, 3]), 2),
        (wheel, shared + "\t\tprim_state_idx ( 2 )\n" + trilist([1, 2, 3]), 5),
    ]
    body = shape(points, UVS, NORMALS, matrices, ['"Body.ace"', "bogie.ace", "Cab.ACE"], [0, 1, 2, 3, 4],
                 [(0, 0), (1, 2), (2, 4)], [-1, 0, 1, 0, 3], sub_objects)
    return options(wag=True, length_steps=13) + msts_text(body) + MARKER + msts_text(WAGON_WAG)


def seed_malformed():
    # Indexes outside their tables, an unknown prim state, counts larger than the entries read,
    # a texture name that would leave the output folder, a huge announced count.
    vertices = [vertex(0, 0, 0), vertex(99, 0, 1), vertex(1, -1, 7), vertex(2, 9, -1)]
    primitives = ("\t\tprim_state_idx ( 7 )\n" + trilist([0, 1, 2, 0, 2, 3, 0, 5, 1]) +
                  "\t\tprim_state_idx ( 1 )\n" + trilist([3, 2, 1]))
    body = shape(CUBE_POINTS[:3], UVS[:2], NORMALS[:2], [("MAIN", IDENTITY + " 0 0 0"), ("B", IDENTITY + " 1 2 3")],
                 ["../up.ace", "ok.ace"], [1, 5], [(1, 1), (0, 0)], [-1, 0], [(vertices, primitives, 4)])
    body = body.replace("points ( 3", "points ( 2000000000").replace("matrices ( 2", "matrices ( 40")
    return options(two_foot=True, length_steps=31) + msts_text(body) + MARKER + msts_text(STEAM_ENG)


def seed_no_matrices():
    body = shape(CUBE_POINTS, UVS, NORMALS, [], [], [], [(0, 0)], [],
                 [(cube_vertices(), "\t\tprim_state_idx ( 0 )\n" + trilist([0, 1, 2]), 2)])
    return options(no_eng=True) + msts_text(body)


def seed_cut_short():
    body = shape(CUBE_POINTS, UVS, NORMALS, [("MAIN", IDENTITY + " 0 0 0")], ["a.ace"], [0], [(0, 0)], [-1],
                 [(cube_vertices(), "\t\tprim_state_idx ( 0 )\n" + trilist([0, 1, 2, 0, 2, 3, 4, 5, 6]), 2)])
    return options(wag=True) + msts_text(body[:len(body) * 3 // 4]) + MARKER + msts_text(WAGON_WAG[:40])


def seed_bare_line_feeds():
    body = shape(CUBE_POINTS[:3], UVS[:1], NORMALS[:1], [("MAIN", IDENTITY + " 0 0 0")], ["a.ace"], [0], [(0, 0)],
                 [-1], [([vertex(0, 0, 0), vertex(1, 0, 0), vertex(2, 0, 0)], "\t\tprim_state_idx ( 0 )\n" + trilist([0, 1, 2]), 2)])
    return options(no_eng=True) + msts_text(body, line_end="\n")


INCLUDE_MARKER = b"#INC#"


def seed_includes():
    """An Open Rails-style override: the chosen file includes the tree the target makes beside
    it (A.inc, Sub/B.inc, Sub/C.INC), with a loop back to itself and commented-out blocks."""
    body = shape(CUBE_POINTS, UVS, NORMALS, [("MAIN", IDENTITY + " 0 0 0")], ["Body.ace"], [0], [(0, 0)],
                 [-1], [(cube_vertices(), "\t\tprim_state_idx ( 0 )\n" + trilist([0, 1, 2]), 1)])
    chosen = ('\ninclude ( "a.inc" )\nComment (\n\tMass ( 1t )\n)\nMaxPower ( 1500hp )\n'
              'StackFX (\ninclude ( sub\\\\b.inc )\n')
    a_inc = '\nWagon (\n\tMass ( "98.00t" )\n\tMaxVelocity ( 100kmph )\n\tinclude ( Sub/C.inc )\n'
    b_inc = '\n0 4.5 6\ninclude ( loop.inc )\nSkip ( ( )\ninclude ( ..\\[[SameName]] )'
    c_inc = '\nMaxForce ( 271kN ) Comment ( 61000lbf )\nType ( Steam )\n'
    return (options(length_steps=10) + msts_text(body) + MARKER + msts_text(chosen) + INCLUDE_MARKER +
            msts_text(a_inc) + INCLUDE_MARKER + msts_text(b_inc) + INCLUDE_MARKER + msts_text(c_inc))


def seed_eng_encodings():
    """The include tree of seed_includes with each ENG/WAG file in another form: UTF-16BE with
    LF ends, UTF-8 behind its mark, UTF-8 without one, and names outside ASCII."""
    body = shape(CUBE_POINTS, UVS, NORMALS, [("MAIN", IDENTITY + " 0 0 0")], ["Caf\u00e9.ace"], [0], [(0, 0)],
                 [-1], [(cube_vertices(), "\t\tprim_state_idx ( 0 )\n" + trilist([0, 1, 2]), 1)])
    chosen = '\nWagonShape ( \u00d6.s )\ninclude ( "a.inc" )\ninclude ( sub\\\\b.inc )\n'
    a_inc = '\nWagon (\n\tMass ( "98.00t" )\n\tinclude ( Sub/C.inc )\n'
    b_inc = '\n\tMaxPower ( 1500hp )\ninclude ( \u00dcber.inc )\n'
    c_inc = '\nMaxForce ( 271kN )\nType ( Steam )\nWheelRadius ( 36in )'
    return (options(length_steps=10) + msts_text(body, line_end="\n") + MARKER +
            msts_text(chosen, "\n", "utf-16-be") + INCLUDE_MARKER + msts_text(a_inc, encoding="utf-8-sig") +
            INCLUDE_MARKER + msts_text(b_inc, "\n", "utf-8") + INCLUDE_MARKER + msts_text(c_inc, encoding="utf-8"))


SEEDS = {
    "minimal_steam.bin": seed_minimal,
    "hierarchy_shared_states_wag.bin": seed_hierarchy,
    "malformed_indexes.bin": seed_malformed,
    "no_matrices.bin": seed_no_matrices,
    "cut_short.bin": seed_cut_short,
    "bare_line_feeds.bin": seed_bare_line_feeds,
    "includes.bin": seed_includes,
    "eng_encodings.bin": seed_eng_encodings,
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds")
    os.makedirs(folder, exist_ok=True)
    for name, make in SEEDS.items():
        data = make()
        assert len(data) < 8192, (name, len(data))
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
