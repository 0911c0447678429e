#include "graphics/PDFContext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

struct TemporaryFolder
{
    std::filesystem::path path;
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmo-pdf-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TemporaryFolder() { std::filesystem::remove_all(path); }
};

std::string contents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(PDFContext, WritesPagesIntoPlaceWhenClosed)
{
    TemporaryFolder folder;
    auto target = folder.path / "out.pdf";
    auto pdf = cg::PDFContext::create(target.string(), cg::makeSize(612, 792));
    ASSERT_TRUE(pdf);
    pdf->setFillColor({1, 0, 0, 1});
    pdf->fillRect(cg::makeRect(36, 36, 100, 100));
    pdf->beginPage();
    pdf->fillRect(cg::makeRect(36, 36, 50, 50));
    EXPECT_EQ(pdf->pageCount(), 2);
    EXPECT_FALSE(std::filesystem::exists(target)); // nothing half-written at the final name
    ASSERT_TRUE(pdf->close());
    std::string text = contents(target);
    EXPECT_EQ(text.substr(0, 5), "%PDF-");
    EXPECT_NE(text.find("/Count 2"), std::string::npos);
    int files = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder.path))
        ++files;
    EXPECT_EQ(files, 1);
    auto perms = std::filesystem::status(target).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::others_read, std::filesystem::perms::others_read);
}

TEST(PDFContext, RefusesBadPlaces)
{
    EXPECT_FALSE(cg::PDFContext::create("/nonexistent-folder/out.pdf", cg::makeSize(612, 792)));
    EXPECT_FALSE(cg::PDFContext::create("", cg::makeSize(612, 792)));
    TemporaryFolder folder;
    EXPECT_FALSE(cg::PDFContext::create((folder.path / "x.pdf").string(), cg::makeSize(0, 792)));
}
