// The drawing of the game's twelve pictures (five dog furs, brick, leaves,
// bark, sky, explosion, car and a blank white), each as the bytes of an
// uncompressed 24-bit BMP file. The make_textures tool writes them into the
// desktop game's folder; the browser build draws them in the page.
//
// Every picture is procedural: a small integer generator and hash-based value
// noise, seeded per picture, so each run gives the same bytes on every machine.
// The game tints the pictures with its materials (the fur and house are
// darkened and reddened, the leaves and the ground are multiplied by green), so
// the colours here are chosen bright enough to read after that.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image_drawing.h"

#include "textures/images.h"

namespace {

constexpr float pi = 3.14159265f;

struct Colour {
    float r = 0.0f, g = 0.0f, b = 0.0f;  // 0 to 1
};

// A square picture; row 0 is the bottom row, as in the file.
struct Canvas {
    int size = 0;
    std::vector<Colour> pixels;
};

// ---------------------------------------------------------------- numbers

// xorshift32: a small generator with the same sequence on every machine.
struct Random {
    std::uint32_t state = 1u;
};

std::uint32_t nextBits(Random& random) {
    std::uint32_t x = random.state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    random.state = x;
    return x;
}

float nextRange(Random& random, float low, float high) {
    return low + (high - low) * static_cast<float>(nextBits(random) >> 8) / 16777216.0f;
}

// A value in [0, 1) for a lattice point, from an integer hash.
float latticeValue(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x9e3779b1u ^
                      static_cast<std::uint32_t>(y) * 0x85ebca77u ^ seed * 0xc2b2ae3du;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return static_cast<float>(h >> 8) / 16777216.0f;
}

int wrap(int i, int period) { return ((i % period) + period) % period; }

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float smoothStep(float edge0, float edge1, float v) {
    const float t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

// Smooth value noise in [0, 1] on a lattice of periodU x periodV cells that
// wraps, so the picture tiles; u and v run from 0 to 1 across the picture.
float tiledNoise(float u, float v, int periodU, int periodV, std::uint32_t seed) {
    const float x = u * static_cast<float>(periodU);
    const float y = v * static_cast<float>(periodV);
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const float fx = smoothStep(0.0f, 1.0f, x - static_cast<float>(x0));
    const float fy = smoothStep(0.0f, 1.0f, y - static_cast<float>(y0));
    const int xa = wrap(x0, periodU), xb = wrap(x0 + 1, periodU);
    const int ya = wrap(y0, periodV), yb = wrap(y0 + 1, periodV);
    const float bottom = latticeValue(xa, ya, seed) * (1.0f - fx) + latticeValue(xb, ya, seed) * fx;
    const float top = latticeValue(xa, yb, seed) * (1.0f - fx) + latticeValue(xb, yb, seed) * fx;
    return bottom * (1.0f - fy) + top * fy;
}

// Octaves of tiledNoise, each at twice the frequency and half the weight; [0, 1].
float fractalNoise(float u, float v, int periodU, int periodV, int octaves, std::uint32_t seed) {
    float sum = 0.0f, weight = 0.5f, total = 0.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += weight * tiledNoise(u, v, periodU << octave, periodV << octave, seed + octave);
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

// ---------------------------------------------------------------- colours

Colour rgb(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }

Colour mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scaled(Colour c, float k) { return {c.r * k, c.g * k, c.b * k}; }

// Lightens (amount > 0, towards white) or darkens (amount < 0) a colour.
Colour shaded(Colour c, float amount) {
    return amount >= 0.0f ? mix(c, rgb(255, 255, 255), amount) : scaled(c, 1.0f + amount);
}

// ---------------------------------------------------------------- canvas

Colour& pixelAt(Canvas& canvas, int x, int y) {
    return canvas.pixels[wrap(y, canvas.size) * canvas.size + wrap(x, canvas.size)];
}

// Sets every pixel from shader(u, v), u and v at the pixel centre in 0 to 1.
template <typename Shader>
void shadeEach(Canvas& canvas, Shader shader) {
    const float size = static_cast<float>(canvas.size);
    for (int y = 0; y < canvas.size; ++y) {
        for (int x = 0; x < canvas.size; ++x) {
            pixelAt(canvas, x, y) = shader((x + 0.5f) / size, (y + 0.5f) / size);
        }
    }
}

// Short hair strokes, mostly along v, each lighter (by up to `contrast`) or a
// little darker than the fur under it; they wrap at the edges so the fur tiles.
void drawStrands(Canvas& canvas, int count, float length, float lean, float contrast,
                 std::uint32_t seed) {
    Random random{seed};
    const float size = static_cast<float>(canvas.size);
    for (int i = 0; i < count; ++i) {
        const float x0 = nextRange(random, 0.0f, size);
        const float y0 = nextRange(random, 0.0f, size);
        const float angle = pi / 2.0f + nextRange(random, -lean, lean);
        const float strandLength = length * nextRange(random, 0.5f, 1.2f);
        const float amount = nextRange(random, -0.6f * contrast, contrast);
        for (float t = 0.0f; t < strandLength; t += 1.0f) {
            const int x = static_cast<int>(std::floor(x0 + std::cos(angle) * t));
            const int y = static_cast<int>(std::floor(y0 + std::sin(angle) * t));
            Colour& pixel = pixelAt(canvas, x, y);
            pixel = shaded(pixel, amount * (1.0f - 0.5f * t / strandLength));
        }
    }
}

// Distance between two coordinates on a wrapping axis of the given size.
float wrappedDistance(float a, float b, float size) {
    const float d = std::fabs(a - b);
    return std::fmin(d, size - d);
}

// ---------------------------------------------------------------- furs

void drawGoldenFur(Canvas& canvas) {
    shadeEach(canvas, [](float u, float v) {
        const float tone = fractalNoise(u, v, 4, 4, 4, 11u);
        const float streak = tiledNoise(u, v, 64, 8, 12u);
        return shaded(mix(rgb(225, 150, 55), rgb(255, 215, 120), tone), 0.25f * (streak - 0.5f));
    });
    drawStrands(canvas, 9000, 9.0f, 0.35f, 0.3f, 13u);
}

void drawPatchedFur(Canvas& canvas) {
    shadeEach(canvas, [](float u, float v) {
        const float patch = fractalNoise(u, v, 3, 3, 3, 21u);
        return mix(rgb(250, 248, 240), rgb(28, 24, 24), smoothStep(0.53f, 0.57f, patch));
    });
    drawStrands(canvas, 8000, 8.0f, 0.35f, 0.3f, 22u);
}

void drawSpottedFur(Canvas& canvas) {
    shadeEach(canvas, [](float u, float v) {
        return mix(rgb(215, 150, 85), rgb(240, 185, 115), fractalNoise(u, v, 4, 4, 3, 31u));
    });
    Random random{32u};
    const float size = static_cast<float>(canvas.size);
    for (int spot = 0; spot < 90; ++spot) {
        const float cx = nextRange(random, 0.0f, size), cy = nextRange(random, 0.0f, size);
        const float radius = nextRange(random, 5.0f, 12.0f);
        const Colour dark = mix(rgb(95, 50, 20), rgb(130, 70, 30), nextRange(random, 0.0f, 1.0f));
        const int reach = static_cast<int>(radius * 1.4f) + 1;
        for (int y = static_cast<int>(cy) - reach; y <= static_cast<int>(cy) + reach; ++y) {
            for (int x = static_cast<int>(cx) - reach; x <= static_cast<int>(cx) + reach; ++x) {
                const float dx = wrappedDistance(x + 0.5f, cx, size);
                const float dy = wrappedDistance(y + 0.5f, cy, size);
                const float wobble = tiledNoise(x / size, y / size, 32, 32, 33u) - 0.5f;
                const float d = std::sqrt(dx * dx + dy * dy) / radius + 0.5f * wobble;
                Colour& pixel = pixelAt(canvas, x, y);
                pixel = mix(pixel, dark, 1.0f - smoothStep(0.85f, 1.0f, d));
            }
        }
    }
    drawStrands(canvas, 8000, 8.0f, 0.35f, 0.25f, 34u);
}

void drawBrindleFur(Canvas& canvas) {
    shadeEach(canvas, [](float u, float v) {
        const float warp = fractalNoise(u, v, 4, 4, 3, 41u) - 0.5f;
        const float wave = 0.5f + 0.5f * std::sin(2.0f * pi * (20.0f * u + 3.0f * warp));
        const float broken = fractalNoise(u, v, 16, 4, 3, 42u) - 0.5f;
        const float sheen = fractalNoise(u, v, 8, 8, 2, 43u);
        const Colour silver = mix(rgb(175, 178, 190), rgb(225, 228, 238), sheen);
        const float stripe = smoothStep(0.6f, 0.8f, wave + 0.9f * broken);
        return mix(silver, rgb(95, 92, 105), 0.85f * stripe);
    });
    drawStrands(canvas, 9000, 9.0f, 0.3f, 0.3f, 44u);
}

// Tight spiral ringlets, lit from above, packed over a dark red-brown undercoat.
void drawCurlyFur(Canvas& canvas) {
    shadeEach(canvas, [](float u, float v) {
        return mix(rgb(120, 45, 18), rgb(155, 62, 26), fractalNoise(u, v, 8, 8, 3, 51u));
    });
    Random random{52u};
    const float size = static_cast<float>(canvas.size);
    for (int curl = 0; curl < 1800; ++curl) {
        const float cx = nextRange(random, 0.0f, size), cy = nextRange(random, 0.0f, size);
        const float radius = nextRange(random, 3.5f, 6.5f);
        const float start = nextRange(random, 0.0f, 2.0f * pi);
        const float sweep = nextRange(random, 1.5f * pi, 2.2f * pi);
        const Colour hair = mix(rgb(200, 85, 38), rgb(240, 125, 60), nextRange(random, 0.0f, 1.0f));
        for (float a = 0.0f; a < sweep; a += 0.4f / radius) {
            const float angle = start + a;
            const float r = radius * (0.45f + 0.55f * a / sweep);  // opens out: a spiral
            const float light = std::sin(angle);                     // lit from above
            for (float across = -0.75f; across <= 0.75f; across += 0.5f) {
                const int x = static_cast<int>(std::floor(cx + std::cos(angle) * (r + across)));
                const int y = static_cast<int>(std::floor(cy + std::sin(angle) * (r + across)));
                pixelAt(canvas, x, y) = shaded(hair, 0.12f * light + 0.15f * across - 0.08f);
            }
        }
    }
}

// ---------------------------------------------------------------- scenery

// Running bond of 8 x 16 pixel bricks. The house box stretches each quarter of
// the width over a whole wall, so on the walls the bricks come out 2:1.
void drawBrick(Canvas& canvas) {
    constexpr int brickWidth = 8, courseHeight = 16;
    const int size = canvas.size;
    for (int y = 0; y < size; ++y) {
        const int course = y / courseHeight;
        for (int x = 0; x < size; ++x) {
            const int shifted = x + (course % 2) * brickWidth / 2;
            const int column = shifted / brickWidth;
            const bool mortar = y % courseHeight < 2 || shifted % brickWidth == 0;
            const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            const float grain = tiledNoise(u, v, 128, 128, 61u) - 0.5f;
            Colour colour;
            if (mortar) {
                colour = shaded(rgb(225, 218, 205), 0.3f * grain);
            } else {
                const float tone = latticeValue(wrap(column, size / brickWidth), course, 62u);
                const float soot = fractalNoise(u, v, 8, 8, 2, 63u);
                colour = mix(rgb(170, 50, 35), rgb(225, 105, 70), tone);
                colour = shaded(colour, 0.35f * grain - 0.25f * smoothStep(0.6f, 0.85f, soot));
            }
            pixelAt(canvas, x, y) = colour;
        }
    }
}

// Overlapping leaves on a dark green shade; the varied greens matter most, as the
// game multiplies the picture by green.
void drawLeaves(Canvas& canvas) {
    shadeEach(canvas, [](float u, float v) {
        return mix(rgb(15, 55, 15), rgb(35, 90, 25), fractalNoise(u, v, 8, 8, 3, 71u));
    });
    Random random{72u};
    const float size = static_cast<float>(canvas.size);
    for (int leaf = 0; leaf < 2200; ++leaf) {
        const float cx = nextRange(random, 0.0f, size), cy = nextRange(random, 0.0f, size);
        const float length = nextRange(random, 6.0f, 11.0f);
        const float width = length * nextRange(random, 0.35f, 0.5f);
        const float angle = nextRange(random, 0.0f, 2.0f * pi);
        const float ca = std::cos(angle), sa = std::sin(angle);
        const float tone = nextRange(random, 0.0f, 1.0f);
        const Colour green = mix(rgb(45, 120, 30), rgb(130, 200, 55), tone);
        const float sunlit = nextRange(random, -0.35f, 0.35f);
        const int reach = static_cast<int>(length) + 1;
        for (int y = static_cast<int>(cy) - reach; y <= static_cast<int>(cy) + reach; ++y) {
            for (int x = static_cast<int>(cx) - reach; x <= static_cast<int>(cx) + reach; ++x) {
                const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
                const float along = (dx * ca + dy * sa) / length;   // -1 tip to 1 tip
                const float across = (-dx * sa + dy * ca) / width;  // -1 edge to 1 edge
                const float halfWidth = 1.0f - along * along;       // pointed ends
                if (halfWidth <= 0.0f || std::fabs(across) > halfWidth) continue;
                const float side = across > 0.0f ? 0.12f : -0.08f;  // light falls on one half
                const float rib = std::fabs(across) < 0.12f ? 0.15f : 0.0f;
                const float edge = std::fabs(across) > 0.8f * halfWidth ? -0.25f : 0.0f;
                pixelAt(canvas, x, y) = shaded(green, sunlit + side + rib + edge + 0.2f * along);
            }
        }
    }
}

// Vertical fibres and long narrow furrows, kept bright and soft: the ground
// shows this under green.
void drawBark(Canvas& canvas) {
    shadeEach(canvas, [](float u, float v) {
        const float fibre = fractalNoise(u, v, 96, 6, 3, 81u);
        const float furrow = smoothStep(0.57f, 0.77f, fractalNoise(u, v, 32, 3, 2, 82u));
        const float blotch = fractalNoise(u, v, 4, 4, 2, 83u);
        Colour colour = mix(rgb(145, 108, 72), rgb(210, 170, 125), fibre);
        colour = shaded(colour, 0.2f * (blotch - 0.5f));
        return mix(colour, rgb(105, 76, 52), 0.8f * furrow);
    });
}

// Soft white clouds on blue; the noise wraps, so the sky is seamless both ways.
// Drawn at 1024 x 1024: on the sky sphere a texel then covers about 2 x 5
// pixels of a 1000 x 500 window, and neighbouring texels differ by a few
// levels at most, so the clouds show no blocks under GL_NEAREST.
void drawSky(Canvas& canvas) {
    shadeEach(canvas, [](float u, float v) {
        const float haze = fractalNoise(u, v, 2, 2, 2, 91u);
        const float density = fractalNoise(u, v, 4, 4, 5, 95u);
        const Colour blue = mix(rgb(80, 140, 220), rgb(125, 175, 235), haze);
        const Colour cloud = mix(rgb(205, 214, 230), rgb(255, 255, 255),
                                 smoothStep(0.55f, 0.8f, density));
        return mix(blue, cloud, smoothStep(0.44f, 0.64f, density));
    });
}

// Colour ramp of the fire, from cold smoke (0) to the white-hot core (1).
Colour fireColour(float heat) {
    static const Colour stops[] = {rgb(35, 28, 25),   rgb(90, 45, 30),   rgb(190, 40, 10),
                                   rgb(245, 120, 20), rgb(255, 210, 60), rgb(255, 250, 220)};
    constexpr int last = sizeof(stops) / sizeof(stops[0]) - 1;
    const float position = clamp01(heat) * last;
    const int i = position >= last ? last - 1 : static_cast<int>(position);
    return mix(stops[i], stops[i + 1], position - static_cast<float>(i));
}

// A fireball: hottest in the middle, cooling to smoke at the edges, with the
// noise warped by more noise so the flames look turbulent.
void drawExplosion(Canvas& canvas) {
    shadeEach(canvas, [](float u, float v) {
        const float warpU = fractalNoise(u, v, 4, 4, 3, 101u) - 0.5f;
        const float warpV = fractalNoise(u, v, 4, 4, 3, 102u) - 0.5f;
        const float flame = fractalNoise(u + 0.3f * warpU, v + 0.3f * warpV, 4, 4, 5, 103u);
        const float radius = 2.0f * std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f));
        return fireColour(1.3f - 1.1f * radius + 2.0f * (flame - 0.5f));
    });
}

// ---------------------------------------------------------------- car

bool inCircle(float x, float y, float cx, float cy, float r) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

bool inRoundedBox(float x, float y, float x0, float y0, float x1, float y1, float r) {
    const float dx = std::fmax(std::fmax(x0 + r - x, x - (x1 - r)), 0.0f);
    const float dy = std::fmax(std::fmax(y0 + r - y, y - (y1 - r)), 0.0f);
    return x >= x0 && x <= x1 && y >= y0 && y <= y1 && dx * dx + dy * dy <= r * r;
}

// Inside a band y0..y1 whose left and right edges lean inwards going up.
bool inTrapezoid(float x, float y, float y0, float y1, float left0, float left1, float right0,
                 float right1) {
    if (y < y0 || y > y1) return false;
    const float t = (y - y0) / (y1 - y0);
    return x >= left0 + (left1 - left0) * t && x <= right0 + (right1 - right0) * t;
}

// The car seen from its side, facing left (it drives in towards -x), in pixel
// units with y up; the ground line is near the bottom row.
Colour carSample(float x, float y) {
    const float wheelX[] = {66.0f, 192.0f};
    constexpr float wheelY = 42.0f;
    for (float cx : wheelX) {
        if (inCircle(x, y, cx, wheelY, 6.0f)) return rgb(90, 90, 95);
        if (inCircle(x, y, cx, wheelY, 17.0f)) return rgb(200, 202, 208);
        if (inCircle(x, y, cx, wheelY, 30.0f)) return rgb(30, 30, 34);
        if (inCircle(x, y, cx, wheelY, 35.0f) && y > wheelY - 10.0f) return rgb(20, 18, 20);
    }
    const bool body = inRoundedBox(x, y, 8.0f, 36.0f, 248.0f, 118.0f, 22.0f);
    const bool cabin = inTrapezoid(x, y, 110.0f, 190.0f, 56.0f, 104.0f, 212.0f, 190.0f);
    if (cabin && !body) {
        const bool frontWindow = inTrapezoid(x, y, 122.0f, 180.0f, 76.0f, 110.0f, 138.0f, 138.0f);
        const bool rearWindow = inTrapezoid(x, y, 122.0f, 180.0f, 148.0f, 148.0f, 196.0f, 182.0f);
        if (frontWindow || rearWindow) {
            return mix(rgb(150, 200, 235), rgb(225, 240, 250), (y - 122.0f) / 58.0f);
        }
    }
    if (body || cabin) {
        const bool headlight = inRoundedBox(x, y, 8.0f, 84.0f, 26.0f, 100.0f, 5.0f);
        const bool tailLight = inRoundedBox(x, y, 236.0f, 84.0f, 248.0f, 102.0f, 4.0f);
        const bool bumper = y < 52.0f && (x < 40.0f || x > 222.0f);
        const float doorGap = std::fmin(std::fabs(x - 104.0f), std::fabs(x - 146.0f));
        const bool doorLine = y > 50.0f && doorGap < 1.2f;
        const bool handle = inRoundedBox(x, y, 118.0f, 96.0f, 132.0f, 100.0f, 2.0f);
        if (headlight) return rgb(255, 240, 170);
        if (tailLight) return rgb(230, 30, 25);
        if (bumper) return rgb(70, 70, 78);
        if (doorLine) return rgb(120, 15, 20);
        if (handle) return rgb(230, 230, 235);
        const float light = smoothStep(40.0f, 190.0f, y);
        const Colour paint = mix(rgb(165, 20, 25), rgb(235, 60, 55), light);
        return std::fabs(y - 104.0f) < 2.5f ? shaded(paint, 0.35f) : paint;  // shine line
    }
    const float dx = (x - 128.0f) / 130.0f, dy = (y - 12.0f) / 8.0f;  // the shadow under the car
    return dx * dx + dy * dy < 1.0f ? rgb(190, 195, 200) : rgb(235, 240, 245);
}

// 4 x 4 samples per pixel keep the car's outlines smooth.
void drawCar(Canvas& canvas) {
    const float scale = 256.0f / static_cast<float>(canvas.size);
    for (int y = 0; y < canvas.size; ++y) {
        for (int x = 0; x < canvas.size; ++x) {
            Colour sum;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    const float px = (x + (sx + 0.5f) / 4.0f) * scale;
                    const float py = (y + (sy + 0.5f) / 4.0f) * scale;
                    const Colour c = carSample(px, py);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            pixelAt(canvas, x, y) = scaled(sum, 1.0f / 16.0f);
        }
    }
}

void drawBlank(Canvas& canvas) {
    shadeEach(canvas, [](float, float) { return rgb(255, 255, 255); });
}

// ---------------------------------------------------------------- output

// How each image of the game's table is drawn, by its texture id.
struct Drawing {
    int texture;
    int size;  // width and height, a power of two
    void (*draw)(Canvas&);
};

const Drawing drawings[] = {
    {dog1Texture, 256, drawGoldenFur},   {dog2Texture, 256, drawPatchedFur},
    {dog3Texture, 256, drawSpottedFur},  {dog4Texture, 256, drawBrindleFur},
    {dog5Texture, 256, drawCurlyFur},    {brickTexture, 256, drawBrick},
    {leafTexture, 256, drawLeaves},      {barkTexture, 256, drawBark},
    {cloudTexture, 1024, drawSky},        {explosionTexture, 256, drawExplosion},
    {carTexture, 256, drawCar},          {blankTexture, 16, drawBlank},
};

const Drawing* drawingFor(unsigned int texture) {
    for (const Drawing& drawing : drawings) {
        if (static_cast<unsigned int>(drawing.texture) == texture) return &drawing;
    }
    return nullptr;
}

void putLittleEndian(std::vector<unsigned char>& bytes, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

unsigned char toByte(float channel) {
    return static_cast<unsigned char>(clamp01(channel) * 255.0f + 0.5f);
}

// The canvas as an uncompressed 24-bit BMP file, rows bottom-up, each padded
// to 4 bytes.
std::vector<unsigned char> bmpBytes(const Canvas& canvas) {
    const std::uint32_t side = static_cast<std::uint32_t>(canvas.size);
    const std::uint32_t rowBytes = (side * 3u + 3u) & ~3u;
    const std::uint32_t pixelBytes = rowBytes * side;
    std::vector<unsigned char> bytes;
    bytes.push_back('B');
    bytes.push_back('M');
    putLittleEndian(bytes, 54u + pixelBytes, 4);  // file size
    putLittleEndian(bytes, 0u, 4);                // reserved
    putLittleEndian(bytes, 54u, 4);               // pixel data offset
    putLittleEndian(bytes, 40u, 4);               // info header size
    putLittleEndian(bytes, side, 4);              // width
    putLittleEndian(bytes, side, 4);              // height, positive: bottom-up
    putLittleEndian(bytes, 1u, 2);                // planes
    putLittleEndian(bytes, 24u, 2);               // bits per pixel
    putLittleEndian(bytes, 0u, 4);                // no compression
    putLittleEndian(bytes, pixelBytes, 4);
    putLittleEndian(bytes, 2835u, 4);             // 72 dpi, both ways
    putLittleEndian(bytes, 2835u, 4);
    putLittleEndian(bytes, 0u, 4);                // colours used
    putLittleEndian(bytes, 0u, 4);                // important colours
    for (int y = 0; y < canvas.size; ++y) {
        for (int x = 0; x < canvas.size; ++x) {
            const Colour& c = canvas.pixels[y * canvas.size + x];
            bytes.push_back(toByte(c.b));
            bytes.push_back(toByte(c.g));
            bytes.push_back(toByte(c.r));
        }
        for (std::uint32_t pad = side * 3u; pad < rowBytes; ++pad) bytes.push_back(0);
    }
    return bytes;
}

}  // namespace

bool drawImageFile(unsigned int texture, std::vector<unsigned char>& file) {
    const Drawing* drawing = drawingFor(texture);
    if (drawing == nullptr) return false;
    Canvas canvas;
    canvas.size = drawing->size;
    canvas.pixels.assign(static_cast<std::size_t>(drawing->size) * drawing->size, Colour{});
    drawing->draw(canvas);
    file = bmpBytes(canvas);
    return true;
}
