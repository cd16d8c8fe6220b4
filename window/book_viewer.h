// The external viewers: whether one is known for a book kind ("Открыть" is enabled only
// then) and starting it on the current file. The desktop implementation lives in
// window/desktop_viewers.*; the tests use a recorder.
#pragma once

#include <cstdint>

#include "batch/file_list.h"

namespace tomeo {

class Pipeline;

class BookViewer {
public:
    virtual ~BookViewer() = default;
    // Whether a viewer is known for a book kind (KIND_TXT, KIND_FB2, KIND_RTF).
    virtual bool Known(std::uint8_t kind) = 0;
    // Starts the viewer on the pipeline's current file (a zipped book is extracted to a
    // temporary copy first) and returns at once, without waiting for it.
    virtual void Open(Pipeline& pipeline) = 0;
    // The viewer settings may have changed (after the settings sheet): look up again.
    virtual void Reset() = 0;
};

// No viewers at all ("Открыть" stays disabled).
class NoBookViewer : public BookViewer {
public:
    bool Known(std::uint8_t) override { return false; }
    void Open(Pipeline&) override {}
    void Reset() override {}
};

}  // namespace tomeo
