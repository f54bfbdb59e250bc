// The OBJ reader and the polygon cut behind `zarn-tool import object`: every malformed number or index
// refused with its OBJ line and column, polygons of any size and shape cut into the triangles that cover
// exactly their area, doubtful faces named with their lines, and the read stopped at the object file's
// limits.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "engine3d/object_loader.h"
#include "tools/object/obj_reader.h"
#include "tools/object/object_import.h"
#include "tools/object/object_report.h"

namespace {

tools::ObjRead read_text(const std::string& text, tools::ObjLimits limits = {100, 100}) {
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  return tools::read_obj(bytes, "m.obj", limits);
}

std::string joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

// Appends " k" to a face statement.
void add_corner(std::string& face, std::size_t k) {
  face += ' ';
  face += std::to_string(k);
}

const std::string three = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

TEST(ObjReader, RefusesMalformedNumbersAndIndicesAtTheirLineAndColumn) {
  struct Case {
    std::string text;
    const char* refusal;
  };
  const Case cases[] = {
      {"v 1 nan 1\n", "m.obj:1:5: the y coordinate is not a finite number"},
      {"v 1 2 inf\n", "m.obj:1:7: the z coordinate is not a finite number"},
      {"v -inf 2 3\n", "m.obj:1:3: the x coordinate is not a finite number"},
      {"v 1 2 1e39\n", "m.obj:1:7: the z coordinate is not a finite number"},
      {"v 1 2 -1e39\n", "m.obj:1:7: the z coordinate is not a finite number"},
      {"v 1 2 1e400\n", "m.obj:1:7: the z coordinate is not a finite number"},
      {"v 1 two 3\n", "m.obj:1:5: the y coordinate is not a finite number"},
      {"v 0x10 0 0\n", "m.obj:1:3: the x coordinate is not a finite number"},
      {"v 1.0.0 0 0\n", "m.obj:1:3: the x coordinate is not a finite number"},
      {"v 1e 0 0\n", "m.obj:1:3: the x coordinate is not a finite number"},
      {"v . 0 0\n", "m.obj:1:3: the x coordinate is not a finite number"},
      {"v 1 2\n", "m.obj:1:6: the z coordinate is missing"},
      {"v 1 2 # 3\n", "m.obj:1:7: the z coordinate is missing"},
      {"v", "m.obj:1:2: the x coordinate is missing"},
      {"v 1 2 3\r\n\tv 1 nan 3\r\n", "m.obj:2:6: the y coordinate is not a finite number"},
      {"# a comment\n\nv 1 \\\n  nan 3\n", "m.obj:4:3: the y coordinate is not a finite number"},
      {three + "f 1 2 4\n", "m.obj:4:7: vertex 4 does not exist: 3 vertices are read so far"},
      {three + "f 0 1 2\n", "m.obj:4:3: vertex 0 does not exist: 3 vertices are read so far"},
      {three + "f -4 1 2\n", "m.obj:4:3: vertex -4 does not exist: 3 vertices are read so far"},
      {"f 1 2 3\n" + three, "m.obj:1:3: vertex 1 does not exist: 0 vertices are read so far"},
      {three + "f 1 2 99999999999999999999\n",
       "m.obj:4:7: vertex 1099511627776 does not exist: 3 vertices are read so far"},
      {three + "f 1/ 2 3\n", "m.obj:4:3: a face corner is written i, i/t, i//n or i/t/n"},
      {three + "f 1 2/x 3\n", "m.obj:4:5: a face corner is written i, i/t, i//n or i/t/n"},
      {three + "f 1 2 3//\n", "m.obj:4:7: a face corner is written i, i/t, i//n or i/t/n"},
      {three + "f 1 2 3/1/1/1\n", "m.obj:4:7: a face corner is written i, i/t, i//n or i/t/n"},
      {three + "f one 2 3\n", "m.obj:4:3: a face corner is written i, i/t, i//n or i/t/n"},
      {three + "f 1 2\n", "m.obj:4:1: a face needs three corners or more"},
      {three + "  f\n", "m.obj:4:3: a face needs three corners or more"},
      {three + "v 1 1 0\n", "m.obj:4:1: more than 3 vertices, the most the object file takes"},
      {three + "f 1 2 3\nf 1 2 3 1 2\n", "m.obj:5:11: the faces make more than 3 triangles, the most the object "
                                         "file takes"},
  };
  for (const Case& c : cases) {
    const tools::ObjRead got = read_text(c.text, {3, 3});
    EXPECT_FALSE(got.model) << c.text;
    EXPECT_EQ(got.refusal, c.refusal) << c.text;
  }
}

TEST(ObjReader, ReadsEveryFormOfVertexAndCorner) {
  struct Case {
    std::string text;
    std::vector<double> coordinates;  // x y z of every vertex
    std::vector<int> corners;         // of every face in turn, 0-based
    std::size_t notes;
  };
  const Case cases[] = {
      {"v 1.5e+2 +3 -.5\nv 1e-400 0. -0\nv 1 2 3 1.0\nv 4 5 6 0.5 0.25 1\n",
       {150, 3, -0.5, 0, 0, 0, 1, 2, 3, 4, 5, 6}, {}, 0},
      {three + "f 1 2 3\nf 1/1 2/2 3/3\nf 1//1 2//2 3//3\nf 1/1/1 2/2/2 3/3/3\nf -3 -2 -1\n",
       {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2}, 0},
      {"v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nf 1 \\\r\n 2 3\r\n", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, 0},
      {"# f 1 2 99\nmtllib a.mtl\no thing\ng part\ns 1\nusemtl metal\nvt nan 0\nvn 0 0 1\nvp 0\n" + three +
           "f 1 2 3 # f 9 9 9\n",
       {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, 0},
      {three + "l 1 2\nl 2 3\ncurv 0 1 1 2\np 1\n", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {}, 3},
      {std::string("\0\xff junk\n", 8) + three + "g a \\\nf 1 2 3\n", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {}, 1},
      {"", {}, {}, 0},
  };
  for (const Case& c : cases) {
    const tools::ObjRead got = read_text(c.text);
    ASSERT_TRUE(got.model) << c.text << ": " << got.refusal;
    std::vector<double> coordinates;
    for (const tools::MeshVertex& v : got.model->vertices) coordinates.insert(coordinates.end(), {v.x, v.y, v.z});
    EXPECT_EQ(coordinates, c.coordinates) << c.text;
    EXPECT_EQ(got.model->corners, c.corners) << c.text;
    EXPECT_EQ(got.model->notes.size(), c.notes) << c.text << joined(got.model->notes);
  }
}

TEST(ObjReader, NamesTheStatementsItDoesNotCarryOverWithTheirFirstLine) {
  const tools::ObjRead got = read_text(three + "l 1 2\nl 2 3\np 1\n");
  ASSERT_TRUE(got.model);
  EXPECT_EQ(joined(got.model->notes),
            "m.obj:4: 2 'l' statements not carried over (the first here): only faces are drawn\n"
            "m.obj:6: 1 'p' statements not carried over (the first here): only faces are drawn\n");
}

TEST(ObjReader, KeepsEveryCornerOfAFaceWithHundredsOfThem) {
  std::string text;
  for (int k = 0; k < 300; ++k) {
    text += "v " + std::to_string(std::cos(k * 0.02)) + " " + std::to_string(std::sin(k * 0.02)) + " 0\n";
  }
  text += "f";
  for (int k = 1; k <= 300; ++k) add_corner(text, k);
  const tools::ObjRead got = read_text(text + "\n", {300, 298});
  ASSERT_TRUE(got.model) << got.refusal;
  ASSERT_EQ(got.model->faces.size(), 1u);
  EXPECT_EQ(got.model->faces[0].corner_count, 300u);
  EXPECT_EQ(got.model->faces[0].line, 301u);
}

// A prism over a counter-clockwise polygon, as modellers write it: the caps and the sides wound
// counter-clockwise seen from outside. The polygon's corners start at `first`.
std::string prism_obj(const std::vector<std::array<double, 2>>& polygon, std::size_t first) {
  const std::size_t n = polygon.size();
  std::string text;
  for (double z : {0.0, 1.0}) {
    for (std::size_t k = 0; k < n; ++k) {
      const auto& p = polygon[(first + k) % n];
      char line[96];
      std::snprintf(line, sizeof line, "v %.9f %.9f %g\n", p[0], p[1], z);
      text += line;
    }
  }
  text += "f";
  for (std::size_t k = n; k >= 1; --k) add_corner(text, k);
  text += "\nf";
  for (std::size_t k = 1; k <= n; ++k) add_corner(text, n + k);
  text += "\n";
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t a = k + 1, b = (k + 1) % n + 1;
    text += "f " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(b + n) + " " +
            std::to_string(a + n) + "\n";
  }
  return text;
}

double polygon_area(const std::vector<std::array<double, 2>>& p) {
  double twice = 0;
  for (std::size_t k = 0; k < p.size(); ++k) {
    const auto& a = p[k];
    const auto& b = p[(k + 1) % p.size()];
    twice += a[0] * b[1] - b[0] * a[1];
  }
  return twice / 2;
}

double prism_surface(const std::vector<std::array<double, 2>>& p) {
  double perimeter = 0;
  for (std::size_t k = 0; k < p.size(); ++k) {
    const auto& a = p[k];
    const auto& b = p[(k + 1) % p.size()];
    perimeter += std::hypot(b[0] - a[0], b[1] - a[1]);
  }
  return 2 * polygon_area(p) + perimeter;  // height 1
}

double diagonal_of_prism(const std::vector<std::array<double, 2>>& p) {
  double low_x = p[0][0], high_x = low_x, low_y = p[0][1], high_y = low_y;
  for (const auto& q : p) {
    low_x = std::min(low_x, q[0]), high_x = std::max(high_x, q[0]);
    low_y = std::min(low_y, q[1]), high_y = std::max(high_y, q[1]);
  }
  return std::hypot(high_x - low_x, high_y - low_y, 1.0);
}

// The total area of the triangles of an object file.
double surface_of(const engine3d::Object3D& object) {
  double total = 0;
  for (const engine3d::Face& f : object.faces) {
    const engine3d::Vector3 a = object.positions[f.i], b = object.positions[f.j], c = object.positions[f.k];
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z, wx = c.x - a.x, wy = c.y - a.y, wz = c.z - a.z;
    total += std::hypot(uy * wz - uz * wy, uz * wx - ux * wz, ux * wy - uy * wx) / 2;
  }
  return total;
}

std::vector<std::array<double, 2>> star(int points, double inner) {
  std::vector<std::array<double, 2>> p;
  for (int k = 0; k < 2 * points; ++k) {
    const double r = k % 2 ? inner : 1.0, a = k * std::numbers::pi / points;
    p.push_back({r * std::cos(a), r * std::sin(a)});
  }
  return p;
}

std::vector<std::array<double, 2>> circle(int corners) {
  std::vector<std::array<double, 2>> p;
  for (int k = 0; k < corners; ++k) p.push_back({std::cos(2 * std::numbers::pi * k / corners),
                                                   std::sin(2 * std::numbers::pi * k / corners)});
  return p;
}

TEST(ImportObjModel, CutsConvexAndConcaveCapsIntoTrianglesOfExactlyTheirArea) {
  const std::vector<std::array<double, 2>> l_shape = {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}};
  const std::vector<std::array<double, 2>> comb = {{0, 0}, {5, 0}, {5, 3}, {4, 3}, {4, 1}, {3, 1}, {3, 3},
                                                   {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}};
  struct Case {
    const char* what;
    std::vector<std::array<double, 2>> cap;
    std::size_t first;  // the corner the OBJ starts the cap at: a fan from it would fill a notch
  };
  const Case cases[] = {
      {"a cylinder with caps of 300 corners", circle(300), 0},
      {"an L from its outer corner", l_shape, 0},
      {"an L from a corner that does not see the notch's far side", l_shape, 1},
      {"a five-pointed star from a point", star(5, 0.4), 0},
      {"a five-pointed star from a notch", star(5, 0.4), 1},
      {"a twelve-pointed star", star(12, 0.7), 3},
      {"a comb", comb, 2},
  };
  for (const Case& c : cases) {
    std::vector<std::string> report;
    const auto text = tools::import_object(prism_obj(c.cap, c.first), "prism.obj", report);
    ASSERT_TRUE(text) << c.what << ":\n" << joined(report);
    EXPECT_EQ(report.size(), 2u) << c.what << ":\n" << joined(report);
    auto object = std::make_unique<engine3d::Object3D>();
    ASSERT_TRUE(engine3d::parse_object(*text, *object).loaded()) << c.what;
    EXPECT_TRUE(tools::inspect_object(*object).ships()) << c.what;
    const std::size_t n = c.cap.size();
    EXPECT_EQ(object->face_count(), static_cast<std::int32_t>(2 * (n - 2) + 2 * n)) << c.what;
    const double scale = tools::imported_object_diagonal / diagonal_of_prism(c.cap);
    EXPECT_NEAR(surface_of(*object) / (scale * scale) / prism_surface(c.cap), 1.0, 1e-4) << c.what;
  }
}

const std::string cube_corners = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n";
const std::string outward_sides = "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";

TEST(ImportObjModel, NamesDoubtfulFacesWithTheirLines) {
  struct Case {
    const char* what;
    std::string obj;
    bool ships;
    std::string said;  // the report, every line
  };
  std::string bent = cube_corners;
  bent.replace(bent.find("v 1 1 1"), 7, "v 1 1 1.2");
  const Case cases[] = {
      {"a corner lifted off the top", bent + outward_sides, true,
       "model.obj:10: warning: the face is not flat (cut as seen along its normal): a corner lies off its plane "
       "by 3.466% of its size\n"
       "model.obj: 6 polygons cut into 12 triangles over 8 vertices; centred and scaled by 107.8 to a diagonal "
       "of 200 units\n"
       "model.obj: 12 of 12 faces turned so that their normals point into the object; closed, checked: ok\n"},
      {"a side written in crossing order", cube_corners + "f 1 4 3 2\nf 5 6 7 8\nf 1 6 2 5\nf 2 3 7 6\nf 3 4 8 7\n"
                                                          "f 4 1 5 8\n",
       false,
       "model.obj:11: warning: the face's edges cross or touch; cut as a fan from its first corner\n"
       "model.obj: the mesh is open: 3 edges belong to one face only, and the intro would show the holes\n"
       "model.obj: the mesh is not a single surface: 1 edges belong to three faces or more\n"},
      {"a corner repeated in a side", cube_corners + "f 1 4 4 3 2 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\n"
                                                     "f 3 4 8 7\nf 4 1 5 8\n",
       true,
       "model.obj: 6 polygons cut into 12 triangles over 8 vertices; centred and scaled by 115.5 to a diagonal "
       "of 200 units\n"
       "model.obj: 12 of 12 faces turned so that their normals point into the object; closed, checked: ok\n"},
      {"a face whose corners are one point", cube_corners + "v 0 0 0\n" + outward_sides + "f 1 9 1\n", false,
       "model.obj:16: the face has no area: its corners lie on one line\n"},
      {"a face whose corners lie on one line", cube_corners + outward_sides + "f 1 2 2 1\nv 2 0 0\nf 1 2 9\n", false,
       "model.obj:15: the face has no area: its corners lie on one line\n"
       "model.obj:17: the face has no area: its corners lie on one line\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> report;
    EXPECT_EQ(tools::import_object(c.obj, "model.obj", report).has_value(), c.ships) << c.what;
    EXPECT_EQ(joined(report), c.said) << c.what;
  }
}

TEST(ImportObjModel, ShowsAFewDoubtfulFacesAndCountsTheRest) {
  std::string obj = cube_corners + outward_sides;
  for (int k = 0; k < 12; ++k) obj += "f 1 3 2 4\n";
  std::vector<std::string> report;
  EXPECT_FALSE(tools::import_object(obj, "model.obj", report));
  ASSERT_GE(report.size(), 6u);
  EXPECT_EQ(report[0], "model.obj:15: warning: the face's edges cross or touch; cut as a fan from its first corner");
  EXPECT_EQ(report[4], "model.obj:19: warning: the face's edges cross or touch; cut as a fan from its first corner");
  EXPECT_EQ(report[5],
            "model.obj: 7 more faces like these: warning: the face's edges cross or touch; cut as a fan from its "
            "first corner");
}

// Peak memory is meaningless under AddressSanitizer, which keeps freed memory in quarantine.
#if defined(__SANITIZE_ADDRESS__)
#define ZARN_TEST_MEASURES_MEMORY 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZARN_TEST_MEASURES_MEMORY 0
#endif
#endif
#ifndef ZARN_TEST_MEASURES_MEMORY
#define ZARN_TEST_MEASURES_MEMORY 1
#endif

long resident_kib() {
  long pages = 0, resident = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// How much the peak memory of a child process grows while it imports `obj`, in KiB.
long import_growth_kib(const std::string& obj) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    const long before = resident_kib();
    std::vector<std::string> report;
    const bool imported = tools::import_object(obj, "huge.obj", report).has_value();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long growth = imported || report.empty() || report[0].find("more than 1048576 triangles") ==
                                                          std::string::npos
                            ? -2
                            : usage.ru_maxrss - before;
    if (::write(pipe_ends[1], &growth, sizeof growth) != sizeof growth) _exit(1);
    _exit(0);
  }
  close(pipe_ends[1]);
  long growth = -1;
  if (::read(pipe_ends[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  close(pipe_ends[0]);
  waitpid(child, nullptr, 0);
  return growth;
}

TEST(ImportObjModel, StopsReadingAtTheTriangleLimit) {
  if (!ZARN_TEST_MEASURES_MEMORY) GTEST_SKIP() << "peak memory is not measured under AddressSanitizer";
  // 20000 faces of 600 corners: twelve million triangles, eleven times what the object file takes.
  std::string face = "f";
  for (int k = 0; k < 600; ++k) add_corner(face, k % 9 + 1);
  std::string obj = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\nv 2 2 2\n";
  for (int k = 0; k < 20000; ++k) obj += face + "\n";
  const long growth = import_growth_kib(obj);
  ASSERT_GE(growth, 0) << "the child did not refuse the model for its triangles";
  // What is kept up to the limit (a million corners and the faces') is a few MiB; cutting twelve million
  // triangles first would take hundreds.
  EXPECT_LT(growth, 64 * 1024);
}

}  // namespace
