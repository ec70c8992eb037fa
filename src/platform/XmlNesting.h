#pragma once

#include <cstddef>
#include <string_view>

namespace tallowmere::PropertyList {

// Whether the elements of an XML property list nest no deeper than `limit` before libplist's XML reader would stop
// at an error: the markup is followed the way that reader tokenises it (its quoted runs, comments, CDATA, document
// type and the elements whose text it reads). libplist builds the tree without recursion but frees it
// recursively, so a list nested some hundred thousand levels deep crashes it before any check of ours could look
// at the tree.
bool nestsWithin(std::string_view xml, std::size_t limit);

} // namespace tallowmere::PropertyList
