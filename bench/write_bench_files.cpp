// Writes the generated files the whole-process comparisons read, so that
// every tool reads the very same bytes:
//   write_bench_files glb FILE          the grid-tree scene (1,000,000 triangles, 20,000 nodes)
//   write_bench_files tree FILE NODES   a node tree of NODES nodes, eight children each, one mesh of
//                                       two triangles on the first (a scene without one Assimp refuses)
//   write_bench_files obj FILE SIDE     one grid mesh of SIDE x SIDE vertices

#include <cstdio>
#include <cstdlib>
#include <string>

#include "generated_files.h"

int main(int argc, char** argv) {
  const std::string kind = argc >= 3 ? argv[1] : "";
  const int count = argc >= 4 ? std::atoi(argv[3]) : 0;
  bool written = false;
  if (kind == "glb" && argc == 3)
    written = bench::WriteGridTreeGlb(argv[2], bench::kGeneratedNodes, bench::kGeneratedMeshes,
                                      bench::kGeneratedTrianglesPerMesh);
  else if (kind == "tree" && argc == 4 && count > 0)
    written = bench::WriteGridTreeGlb(argv[2], count, 1, 2);
  else if (kind == "obj" && argc == 4 && count > 1)
    written = bench::WriteGridObj(argv[2], count);
  else {
    std::fprintf(stderr, "usage: write_bench_files glb FILE | tree FILE NODES | obj FILE SIDE\n");
    return 2;
  }
  if (!written) std::fprintf(stderr, "write_bench_files: cannot write %s\n", argv[2]);
  return written ? 0 : 1;
}
