// Draws the application bundle's images and the sample address book into a resource folder.
// The results are committed; run this again only to change them:
//   c++ -std=c++20 tools/art/make-art.cpp $(pkg-config --cflags --libs cairo) -o /tmp/make-art
//   /tmp/make-art resources
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string g_out;

void png(const std::string& name, int w, int h, const std::function<void(cairo_t*)>& paint)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    paint(cr);
    cairo_destroy(cr);
    std::filesystem::path path = std::filesystem::path(g_out) / name;
    std::filesystem::create_directories(path.parent_path());
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

// A head-and-shoulders outline, the sign of a tile without a photo.
void silhouette(cairo_t* cr, double size, double shade)
{
    cairo_set_source_rgb(cr, shade, shade, shade);
    cairo_arc(cr, size / 2, size * 0.38, size * 0.18, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_arc(cr, size / 2, size * 0.98, size * 0.36, M_PI, 2 * M_PI);
    cairo_fill(cr);
}

void centredText(cairo_t* cr, const std::string& text, double x, double y, double size)
{
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_move_to(cr, x - extents.width / 2 - extents.x_bearing, y - extents.height / 2 - extents.y_bearing);
    cairo_show_text(cr, text.c_str());
}

void icon(const std::string& name, const std::function<void(cairo_t*)>& glyph)
{
    png(name, 24, 24, [&](cairo_t* cr) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_set_line_width(cr, 2.5);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        glyph(cr);
    });
}

std::string base64(const std::vector<unsigned char>& bytes)
{
    static const char* table = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned v = bytes[i] << 16;
        if (i + 1 < bytes.size())
            v |= bytes[i + 1] << 8;
        if (i + 2 < bytes.size())
            v |= bytes[i + 2];
        out += table[(v >> 18) & 63];
        out += table[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? table[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? table[v & 63] : '=';
    }
    return out;
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    auto* out = static_cast<std::vector<unsigned char>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

// A portrait: a coloured disc of the person's own hue with their initials.
std::vector<unsigned char> portrait(const std::string& initials, double hue)
{
    const int size = 120;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size, size);
    cairo_t* cr = cairo_create(surface);
    double r = 0.5 + 0.4 * std::cos(hue), g = 0.5 + 0.4 * std::cos(hue - 2.1),
           b = 0.5 + 0.4 * std::cos(hue + 2.1);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, size);
    cairo_pattern_add_color_stop_rgb(gradient, 0, r, g, b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, r * 0.6, g * 0.6, b * 0.6);
    cairo_set_source(cr, gradient);
    cairo_paint(cr);
    cairo_pattern_destroy(gradient);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.92);
    centredText(cr, initials, size / 2.0, size / 2.0, 46);
    cairo_destroy(cr);
    std::vector<unsigned char> bytes;
    cairo_surface_write_to_png_stream(surface, appendBytes, &bytes);
    cairo_surface_destroy(surface);
    return bytes;
}

struct Phone
{
    std::string type;  // a TYPE parameter list, or empty for a custom label
    std::string label; // X-ABLabel of a custom label
    std::string number;
};

struct Person
{
    std::string uid, first, last, org;
    std::vector<Phone> phones;
    bool photo;
    double hue;
};

void contacts()
{
    const std::vector<Person> people = {
        {"velmo-01",
         "Anna",
         "Berg",
         "",
         {{"CELL", "", "+46 70 123 45 67"}, {"HOME", "", "+46 8 555 12 34"}},
         true,
         0.3},
        {"velmo-02", "\xC3\x85nn\xC3\xA5", "Lindqvist", "", {{"IPHONE", "", "+46 73 222 33 44"}}, true, 1.1},
        {"velmo-03",
         "Joanne",
         "Carter",
         "Carter & Sons",
         {{"WORK", "", "+1 415 555 0134"}, {"CELL", "", "+1 415 555 0199"}, {"", "Cabin", "+1 530 555 0101"}},
         true,
         2.0},
        {"velmo-04",
         "Jos\xC3\xA9",
         "N\xC3\xBA\xC3\xB1"
         "ez",
         "",
         {{"CELL", "", "+34 612 345 678"}},
         true,
         2.7},
        {"velmo-05", "\xC3\x89mile", "Durand", "", {{"MAIN", "", "+33 1 23 45 67 89"}}, true, 3.4},
        {"velmo-06",
         "Zo\xC3\xAB",
         "Fischer",
         "",
         {{"CELL", "", "+49 151 2345 6789"}, {"WORK,FAX", "", "+49 30 1234 5678"}},
         true,
         4.0},
        {"velmo-07", "Marc", "Olsen", "", {{"HOME", "", "+45 32 12 34 56"}}, false, 0},
        {"velmo-08", "", "", "Harbour Pizza", {{"WORK", "", "+44 20 7946 0018"}}, true, 4.6},
        {"velmo-09",
         "Priya",
         "Raman",
         "",
         {{"CELL", "", "+91 98765 43210"}, {"", "Gym", "+91 80 2345 6789"}},
         true,
         5.3},
        {"velmo-10",
         "Tom\xC3\xA1\xC5\xA1",
         "Dvo\xC5\x99\xC3\xA1k",
         "",
         {{"IPHONE", "", "+420 601 234 567"}},
         true,
         5.9},
        {"velmo-11", "Lucy", "Hale", "", {{"PAGER", "", "+1 212 555 0155"}}, true, 0.8},
        {"velmo-12",
         "Kenji",
         "Sato",
         "",
         {{"CELL", "", "+81 90 1234 5678"}, {"HOME", "", "+81 3 1234 5678"}},
         true,
         1.6},
        {"velmo-13", "Olga", "Ivanova", "", {{"OTHER", "", "+7 495 123 45 67"}}, true, 2.4},
        {"velmo-14", "Ben", "Adams", "", {{"CELL", "", "+61 412 345 678"}}, true, 3.1},
        {"velmo-15", "Sara", "\xC3\x96zt\xC3\xBCrk", "", {{"CELL", "", "+90 532 123 45 67"}}, true, 3.8},
    };
    std::ofstream out(std::filesystem::path(g_out) / "Contacts.vcf", std::ios::binary);
    for (const auto& p : people) {
        out << "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" << p.uid << "\r\n";
        out << "N:" << p.last << ";" << p.first << ";;;\r\n";
        std::string full = p.first.empty() ? p.org : (p.first + " " + p.last);
        out << "FN:" << full << "\r\n";
        if (!p.org.empty())
            out << "ORG:" << p.org << ";\r\n";
        int item = 1;
        for (const auto& phone : p.phones) {
            if (phone.type.empty()) {
                out << "item" << item << ".TEL:" << phone.number << "\r\n";
                out << "item" << item << ".X-ABLabel:" << phone.label << "\r\n";
                ++item;
            } else {
                out << "TEL;TYPE=" << phone.type << ",VOICE:" << phone.number << "\r\n";
            }
        }
        if (p.photo) {
            std::string initials = (p.first.empty() ? p.org.substr(0, 1) : p.first.substr(0, 1)) +
                                   (p.last.empty() ? std::string() : p.last.substr(0, 1));
            std::string data = base64(portrait(initials, p.hue));
            std::string line = "PHOTO;ENCODING=b;TYPE=PNG:" + data;
            // Folded at 75 octets, continuation lines start with a space.
            out << line.substr(0, 75) << "\r\n";
            for (std::size_t i = 75; i < line.size(); i += 74)
                out << " " << line.substr(i, 74) << "\r\n";
        }
        out << "END:VCARD\r\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-art RESOURCE-FOLDER\n");
        return 2;
    }
    g_out = argv[1];

    png("defaultbackground.png", 320, 460, [](cairo_t* cr) {
        cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, 460);
        cairo_pattern_add_color_stop_rgb(sky, 0, 0.16, 0.22, 0.42);
        cairo_pattern_add_color_stop_rgb(sky, 1, 0.05, 0.07, 0.15);
        cairo_set_source(cr, sky);
        cairo_paint(cr);
        cairo_pattern_destroy(sky);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.05);
        for (int i = 0; i < 8; ++i) {
            cairo_arc(cr, 40 + i * 37, 420 - (i % 3) * 30, 60 + 8 * i, 0, 2 * M_PI);
            cairo_fill(cr);
        }
    });
    png("contact-placeholder.png", 180, 180, [](cairo_t* cr) {
        roundedRect(cr, 4, 4, 172, 172, 18);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.18);
        cairo_fill_preserve(cr);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.7);
        cairo_set_line_width(cr, 4);
        double dashes[] = {12, 8};
        cairo_set_dash(cr, dashes, 2, 0);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0);
        cairo_set_line_width(cr, 10);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_move_to(cr, 90, 60);
        cairo_line_to(cr, 90, 120);
        cairo_move_to(cr, 60, 90);
        cairo_line_to(cr, 120, 90);
        cairo_stroke(cr);
    });
    png("contact-grey-placeholder.png", 180, 180, [](cairo_t* cr) {
        roundedRect(cr, 2, 2, 176, 176, 18);
        cairo_set_source_rgb(cr, 0.55, 0.57, 0.6);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.95, 0.95, 0.97);
        cairo_set_line_width(cr, 6);
        cairo_arc(cr, 90, 90, 48, 0, 2 * M_PI); // a globe: the store page
        cairo_stroke(cr);
        cairo_move_to(cr, 42, 90);
        cairo_line_to(cr, 138, 90);
        cairo_stroke(cr);
        cairo_save(cr);
        cairo_scale(cr, 0.45, 1);
        cairo_arc(cr, 90 / 0.45, 90, 48, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_stroke(cr);
    });
    png("contact-withoutphoto.png", 180, 180, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.78, 0.8, 0.83);
        cairo_paint(cr);
        silhouette(cr, 180, 0.55);
    });
    png("black100.png", 100, 100, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
    });
    png("norvaklogo.png", 150, 40, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        centredText(cr, "Velmo", 75, 20, 26);
    });
    png("edit.png", 30, 30, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        cairo_set_line_width(cr, 5);
        cairo_move_to(cr, 7, 23);
        cairo_line_to(cr, 23, 7);
        cairo_stroke(cr);
    });
    png("FBDialog.bundle/images/close.png", 29, 29, [](cairo_t* cr) {
        cairo_arc(cr, 14.5, 14.5, 13, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_set_line_width(cr, 3);
        cairo_move_to(cr, 9, 9);
        cairo_line_to(cr, 20, 20);
        cairo_move_to(cr, 20, 9);
        cairo_line_to(cr, 9, 20);
        cairo_stroke(cr);
    });
    png("heart.png", 20, 20, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.92, 0.2, 0.3);
        cairo_move_to(cr, 10, 17);
        cairo_curve_to(cr, 0, 10, 2, 2, 10, 6);
        cairo_curve_to(cr, 18, 2, 20, 10, 10, 17);
        cairo_fill(cr);
    });
    icon("cancel.png", [](cairo_t* cr) {
        cairo_move_to(cr, 6, 6);
        cairo_line_to(cr, 18, 18);
        cairo_move_to(cr, 18, 6);
        cairo_line_to(cr, 6, 18);
        cairo_stroke(cr);
    });
    icon("add.png", [](cairo_t* cr) {
        cairo_move_to(cr, 12, 4);
        cairo_line_to(cr, 12, 20);
        cairo_move_to(cr, 4, 12);
        cairo_line_to(cr, 20, 12);
        cairo_stroke(cr);
    });
    icon("trash.png", [](cairo_t* cr) {
        cairo_rectangle(cr, 7, 8, 10, 12);
        cairo_move_to(cr, 5, 6);
        cairo_line_to(cr, 19, 6);
        cairo_move_to(cr, 10, 4);
        cairo_line_to(cr, 14, 4);
        cairo_stroke(cr);
    });
    icon("save.png", [](cairo_t* cr) {
        cairo_move_to(cr, 5, 12);
        cairo_line_to(cr, 10, 17);
        cairo_line_to(cr, 19, 6);
        cairo_stroke(cr);
    });
    contacts();
    return 0;
}
