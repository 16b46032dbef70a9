#pragma once
// A compressed journal read as the text it holds: gzip, xz, zstd or bzip2, several members,
// frames or streams one after another as their tools write them, through Debian's libraries.
#include <memory>

#include "journals/Extension.h"
#include "journals/FileSystem.h"

namespace vantorel {

// `file`, compressed by `compression`, read as the bytes it decompresses to. Read's error is
// FileSystem::kNotComplete when the compressed data ends short or is corrupt; the file cannot
// be read at an offset. Its status gives the size the text is expected to have.
std::unique_ptr<ReadableFile> Decompressing(std::unique_ptr<ReadableFile> file, Compression compression);

}  // namespace vantorel
