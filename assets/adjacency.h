// Face adjacency of triangle lists, shared by the loader and the mesh's own
// GenerateAdjacency and OptimizeInplace. Corners at the same position are one
// corner here, whatever else their vertices carry (normals, texture
// coordinates), so that seams between split vertices are no open edges.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

constexpr DWORD kNoNeighbour = 0xFFFFFFFF;

// For each vertex the lowest-numbered vertex whose position (the first three
// floats of each `stride`-byte vertex) equals it exactly, or, with a positive
// epsilon, lies within epsilon of it on every axis (transitively).
std::vector<uint32_t> canonicalVertices(const uint8_t* vertices, DWORD stride, DWORD count, float epsilon);

// Three entries per face for the edges (0,1), (1,2), (2,0): the face across
// that edge, or kNoNeighbour. An edge pairs with one opposite-running edge of
// another face, or failing that with one running the same way (a neighbour of
// the other winding); an edge met by more than two faces pairs its first two.
void faceAdjacency(const uint32_t* indices, DWORD faces, const std::vector<uint32_t>& canonical, DWORD* out);
