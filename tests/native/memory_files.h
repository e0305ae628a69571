// The old and the new batch file in memory, for the rewrite's unit tests and
// its fuzz target: reads hand out at most chunk bytes, and a read at or past
// readErrorAt fails. Rewrite leaves the count of changed lines in changed.
#pragma once

#include "environment/batch_rewrite.h"

#include <algorithm>
#include <string>

struct MemoryFiles {
    std::string in, out = "";
    size_t chunk = kBatchBlockSize, at = 0, readErrorAt = ~size_t(0), changed = 99;

    static long Read(void* context, char* buffer, size_t size) {
        MemoryFiles& f = *static_cast<MemoryFiles*>(context);
        size_t count = f.in.copy(buffer, std::min(size, f.chunk), f.at);
        return (f.at += count) - count >= f.readErrorAt ? -1 : static_cast<long>(count);
    }

    static bool Write(void* context, const char* data, size_t size) {
        return static_cast<MemoryFiles*>(context)->out.append(data, size), true;
    }

    bool Rewrite(const char* dir) {
        static BatchRewriteWork work;
        return RewriteBatchFile({this, Read, Write}, dir, &work, &changed);
    }
};
