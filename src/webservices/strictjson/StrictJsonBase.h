#pragma once

#include "foundation/Array.h"
#include "foundation/Object.h"

#include <atomic>
#include <string>

inline constexpr const char* StrictJsonErrorDomain = "org.quenmarol.JSON.ErrorDomain";

// The codes of the errors in a trace.
enum StrictJsonErrorCode : long {
    StrictJsonErrorUnsupported = 1, // a value the writer cannot write
    StrictJsonErrorNumber = 2,
    StrictJsonErrorToken = 3,
    StrictJsonErrorFragment = 4, // a valid value that is not a container
    StrictJsonErrorControl = 5,
    StrictJsonErrorUnicode = 6,
    StrictJsonErrorDepth = 7,
    StrictJsonErrorEscape = 8,
    StrictJsonErrorTrailingComma = 9,
    StrictJsonErrorGarbage = 10,
    StrictJsonErrorEndOfInput = 11,
    StrictJsonErrorInput = 12, // no input, or input that is not UTF-8 text
};

// What the strict parser and writer share: the trace of errors of the last call and the nesting depth.
class StrictJsonBase : public ns::Object
{
public:
    static constexpr unsigned DefaultMaxDepth = 512;
    // Nesting is recursive, so even "no limit" (maxDepth 0) stops here, well before the stack runs out,
    // with an error of its own (code 7, HardDepthMessage).
    static constexpr unsigned HardDepthLimit = 2048;
    static constexpr const char* HardDepthMessage =
        "Nested deeper than the 2048 levels this codec can follow";

    StrictJsonBase();

    // Every error of the last failed call, innermost first; nothing after a call that succeeded. Each error
    // after the first holds the one before it as its underlying error, so the last one leads back to all.
    const ns::Ref<ns::MutableArray>& errorTrace() const { return m_errorTrace; }

    // The nesting depth as the limit counts it: it stays 0 when there is no limit.
    unsigned depth() const { return m_depth; }
    // 0 means no limit of the caller's (the hard limit still holds).
    virtual unsigned maxDepth() const { return m_maxDepth.load(); }
    virtual void setMaxDepth(unsigned maxDepth) { m_maxDepth.store(maxDepth); }

    void addErrorWithCode(long code, const std::string& description);
    void clearErrorTrace();

    std::string className() const override { return "StrictJsonBase"; }

protected:
    void setErrorTrace(ns::Ref<ns::MutableArray> trace) { m_errorTrace = std::move(trace); }
    // At the start of a parse or a write: no depth yet, and the limit as it is now for the whole call.
    void startCall()
    {
        m_depth = 0;
        m_nesting = 0;
        m_callMaxDepth = maxDepth();
    }
    // One level deeper; false (with the depth error recorded) when that is too deep.
    bool enterContainer();
    // Records the error and answers false, for "return fail(...)".
    bool fail(long code, const std::string& description);
    // The same for a fixed text; it keeps temporaries out of the recursive scanners' frames.
    bool fail(long code, const char* description);
    void leaveContainer()
    {
        --m_nesting;
        if (m_callMaxDepth)
            --m_depth;
    }

    // The levels of containers open in the call under way.
    unsigned nesting() const { return m_nesting; }

    unsigned m_depth = 0;

private:
    unsigned m_nesting = 0;      // every level, for the stack's sake
    unsigned m_callMaxDepth = 0; // the limit of the call under way
    std::atomic<unsigned> m_maxDepth;
    ns::Ref<ns::MutableArray> m_errorTrace;
};
