#include "graphics/PDFContext.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cg {

ns::Ref<PDFContext> PDFContext::create(const std::string& path, Size mediaBox, Origin origin)
{
    if (path.empty() || !(mediaBox.width > 0) || !(mediaBox.height > 0) || !std::isfinite(mediaBox.width) ||
        !std::isfinite(mediaBox.height) || mediaBox.width > 14400 || mediaBox.height > 14400)
        return nullptr;
    // A unique temporary name beside the target, so the rename is atomic and concurrent jobs do not meet.
    std::string temporary = path + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0)
        return nullptr;
    fchmod(fd, 0644); // a printed document is an ordinary file, not a private temporary one
    ::close(fd);
    Surface surface(cairo_pdf_surface_create(temporary.c_str(), mediaBox.width, mediaBox.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        std::remove(temporary.c_str());
        return nullptr;
    }
    return ns::Factory<PDFContext>::make(std::move(surface), path, temporary, mediaBox, origin);
}

PDFContext::PDFContext(Surface surface, std::string path, std::string temporaryPath, Size mediaBox,
                       Origin origin)
    : Context(std::move(surface), origin, mediaBox.height, 1), m_path(std::move(path)),
      m_temporaryPath(std::move(temporaryPath)), m_mediaBox(mediaBox), m_pages(1), m_pageOpen(true)
{
}

PDFContext::~PDFContext()
{
    if (!m_closed)
        close();
}

void PDFContext::beginPage()
{
    if (m_closed)
        return;
    if (m_pageOpen)
        endPage();
    m_pageOpen = true;
    ++m_pages;
}

void PDFContext::endPage()
{
    if (m_closed || !m_pageOpen)
        return;
    cairo_show_page(cairo());
    resetState();
    m_pageOpen = false;
}

bool PDFContext::close()
{
    if (m_closed)
        return false;
    if (m_pageOpen)
        endPage();
    m_closed = true;
    cairo_surface_t* surface = surfaceHandle();
    cairo_surface_finish(surface);
    bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        int fd = open(m_temporaryPath.c_str(), O_RDONLY);
        if (fd >= 0) {
            ok = fsync(fd) == 0;
            ::close(fd);
        }
    }
    if (ok)
        ok = std::rename(m_temporaryPath.c_str(), m_path.c_str()) == 0;
    if (!ok)
        std::remove(m_temporaryPath.c_str());
    return ok;
}

} // namespace cg
