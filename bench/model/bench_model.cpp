// sw_bench_model: times the preview of model files, or of a generated model.
//   sw_bench_model render FILE.stk...   load (read, place, textures) and render each, 1280x480
//   sw_bench_model generate TRIANGLES FILE.stk   writes a vehicle-like model of that many
//                                                triangles in textured quads
//   sw_bench_model generate-deep FILE.stk        writes a hostile model placing 2^20 copies
// Prints milliseconds per phase; the fastest of REPEAT (default 5) renders counts.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "preview/preview.h"
#include "preview/preview_file.h"

namespace {

double Milliseconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
      .count();
}

// A 20 m long, 3 m wide, 4 m high box whose four long faces are tiled with small quads, split
// into components of 1000 quads, all placed by the assembly.
int Generate(long triangles, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  long quads = triangles / 2, per_component = 1000;
  long components = (quads + per_component - 1) / per_component;
  out << "##\tgenerated\r\n";
  for (long c = 0; c < components; ++c) {
    out << "[end]\r\nName bench." << c << "\r\nMillimetric\r\nComponent\r\nSkin \"bench.tga\"\r\n"
        << "<IndexedTriangleList>\r\n";
    long count = std::min(per_component, quads - c * per_component);
    for (long q = 0; q < count; ++q) {
      long b = q * 4;
      out << "\t" << b << "," << b + 2 << "," << b + 1 << "\r\n\t" << b << "," << b + 3 << ","
          << b + 2 << "\r\n";
    }
    out << "</IndexedTriangleList>\r\n<VertexBuffer>\r\n";
    for (long q = 0; q < count; ++q) {
      long index = c * per_component + q;
      long face = index % 4, cell = index / 4;
      long along = (cell * 37) % 20000, up = (cell * 53) % 4000;
      long size = 60;
      long x = face == 0 ? -1500 : face == 1 ? 1500 : (cell * 29) % 3000 - 1500;
      long z = face == 2 ? 0 : face == 3 ? 4000 : up;
      const char* normal = face == 0   ? "-1000/0/0"
                           : face == 1 ? "1000/0/0"
                           : face == 2 ? "0/0/-1000"
                                       : "0/0/1000";
      for (int corner = 0; corner < 4; ++corner) {
        long dy = (corner == 1 || corner == 2) ? size : 0, dz = corner >= 2 ? size : 0;
        long px = x, pz = z;
        if (face >= 2)
          px = x + dz;
        else
          pz = z + dz;
        out << "\t" << px << "/" << along + dy << "/" << pz << "\t" << normal << "\t"
            << (dy ? "1.000000" : "0.000000") << "," << (dz ? "1.000000" : "0.000000") << "\r\n";
      }
    }
    out << "</VertexBuffer>\r\n";
  }
  out << "[end]\r\n\r\n##--## Assembly ##--##\r\n\r\nName bench\r\nMillimetric\r\nLength "
         "20000\r\n\r\n";
  for (long c = 0; c < components; ++c) out << "\tINCLUDE 0/0/0\t bench." << c << "\r\n";
  return out ? 0 : 1;
}

// A hostile model: one component of 20,000 triangles as large as the model, placed 2^20 times
// through a binary INCLUDE tree of 20 levels: a 2^20-fold picture from 160 kB of text.
int GenerateDeep(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "[end]\r\nName deep.0\r\nMillimetric\r\nComponent\r\n<IndexedTriangleList>\r\n";
  for (int t = 0; t < 20000; ++t) out << "\t0,1,2\r\n";
  out << "</IndexedTriangleList>\r\n<VertexBuffer>\r\n\t0/0/0\t0/0/1000\t0,0\r\n"
         "\t1000/0/0\t0/0/1000\t0,0\r\n\t0/1000/0\t0/0/1000\t0,0\r\n</VertexBuffer>\r\n";
  for (int level = 1; level <= 20; ++level) {
    out << "[end]\r\nName deep." << level << "\r\nComponent\r\nMillimetric\r\n";
    for (int twice = 0; twice < 2; ++twice)
      out << "\tINCLUDE 0/" << twice * 10 << "/0\t deep." << level - 1 << "\r\n";
  }
  out << "[end]\r\nName deep\r\nMillimetric\r\nLength 1000\r\n\tINCLUDE 0/0/0\t deep.20\r\n";
  return out ? 0 : 1;
}

int Render(int argc, char** argv) {
  int repeat = std::getenv("REPEAT") ? std::atoi(std::getenv("REPEAT")) : 5;
  for (int a = 2; a < argc; ++a) {
    auto start = std::chrono::steady_clock::now();
    std::string reason;
    std::unique_ptr<preview::LoadedModel> model = preview::LoadModelFile(argv[a], reason);
    if (!model) {
      std::fprintf(stderr, "%s: %s\n", argv[a], reason.c_str());
      return 1;
    }
    double load = Milliseconds(start);
    size_t triangles = 0;
    for (const auto& part : model->scene.parts) {
      triangles += model->model.components[part.component].triangles.size();
    }
    double best = 1e300;
    for (int r = 0; r < repeat; ++r) {
      start = std::chrono::steady_clock::now();
      preview::Picture picture =
          preview::RenderPreview(model->scene, model->name, model->model.length);
      best = std::min(best, Milliseconds(start));
    }
    std::printf("%s: %zu placed triangles; load %.1f ms, render 1280x480 %.1f ms\n", argv[a],
                triangles, load, best);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "render" && argc > 2) return Render(argc, argv);
  if (command == "generate" && argc == 4) return Generate(std::atol(argv[2]), argv[3]);
  if (command == "generate-deep" && argc == 3) return GenerateDeep(argv[2]);
  std::fputs(
      "usage: sw_bench_model render FILE.stk... | generate TRIANGLES FILE.stk | generate-deep "
      "FILE.stk\n",
      stderr);
  return 2;
}
