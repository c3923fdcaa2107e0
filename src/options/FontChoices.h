#pragma once
// The font page's lists and arithmetic, apart from any window: sizes in points and heights in
// pixels, the sizes a face offers, the four styles, and the faces and scripts, each listed once.
#include <string>
#include <string_view>
#include <vector>

namespace pw::options {

// Points from a font height (negative: the character height, as the page writes it) at
// `pixelsPerInch`, and back; rounded to the nearest, so a size survives the round trip.
int PointSize(int height, int pixelsPerInch);
int HeightOf(int points, int pixelsPerInch);

// A size the profile held or the user typed: its absolute value when from 1 to 1638, else 10.
int CheckedSize(int points);
int CheckedSize(std::wstring_view typed);

enum class FontStyle { kRegular, kBold, kItalic, kBoldItalic };
constexpr int kFontStyles = 4;

std::wstring StyleName(FontStyle style);
FontStyle StyleOf(int weight, bool italic);
// The weight and italic flag a style gives a font.
int WeightOf(FontStyle style);
bool IsItalic(FontStyle style);

struct FontScript {
    std::wstring name;
    int charset = 0;
};

class FontChoices {
public:
    // False when the face is listed already.
    bool AddFace(std::wstring_view face);
    const std::vector<std::wstring>& Faces() const { return faces_; }

    // The scripts and sizes are one face's: cleared when another face is chosen.
    void ClearFace();
    // False when a script of that character set is listed already.
    bool AddScript(std::wstring_view name, int charset);
    const std::vector<FontScript>& Scripts() const { return scripts_; }
    // A raster font's size from its cell height less the internal leading.
    void AddRasterSize(int cellHeight, int internalLeading, int pixelsPerInch);
    // The raster sizes in ascending order, each once; the standard sizes when there is none.
    std::vector<std::wstring> Sizes() const;

private:
    std::vector<std::wstring> faces_;
    std::vector<FontScript> scripts_;
    std::vector<int> rasterSizes_;
};

}  // namespace pw::options
