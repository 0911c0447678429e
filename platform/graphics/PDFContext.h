#pragma once

#include "graphics/Context.h"

#include <string>

namespace cg {

// A context writing pages of a PDF document (cairo's PDF surface). The file appears, complete, at
// `path` when the context is closed: it is written to a temporary file beside it and renamed.
class PDFContext : public Context
{
public:
    // Pages are `mediaBox` in points. Nothing when the temporary file cannot be made.
    static Ref<PDFContext> create(const std::string& path, Size mediaBox, Origin origin = Origin::TopLeft);
    ~PDFContext() override; // closes when still open

    Size mediaBox() const { return m_mediaBox; }
    // The first page is open from the start; beginPage after drawing on a page starts the next one.
    void beginPage();
    void endPage();
    int pageCount() const { return m_pages; }
    // Finishes the document and moves it into place; false when writing failed.
    bool close();

protected:
    PDFContext(Surface surface, std::string path, std::string temporaryPath, Size mediaBox, Origin origin);
    friend ns::Factory<PDFContext>;

private:
    std::string m_path;
    std::string m_temporaryPath;
    Size m_mediaBox;
    int m_pages = 0;
    bool m_pageOpen = false;
    bool m_closed = false;
};

} // namespace cg
