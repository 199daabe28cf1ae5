#include "imaging/colour/colour_profile.h"

#include <lcms2.h>
#include <lcms2_plugin.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace orvanto {

namespace {

// A profile comes from the file being read. Real ones, LUT printer
// profiles included, need a few megabytes at most to parse and to build a
// transform from; a damaged one may declare tables of gigabytes. Every
// allocation of the colour engine counts against this.
constexpr std::size_t MostEngineBytes = std::size_t(64) << 20;

// Float pipelines (the D2Bx tags) take precedence over the classic ones and
// are evaluated at every grid point when the transform is built; a damaged
// one may chain thousands of stages.
constexpr cmsUInt32Number MostFloatStages = 16;

struct TBudget {
    std::size_t Live = 0;
};

// Each block starts with its owner's budget and size, so that freeing needs
// neither (the engine frees some blocks through a stand-in context).
struct alignas(std::max_align_t) TBlockHead {
    TBudget* Budget;
    std::size_t Size;
};

void* Allocate(cmsContext context, cmsUInt32Number size)
{
    // The engine also allocates its context record itself, without a context.
    auto* budget = context ? static_cast<TBudget*>(cmsGetContextUserData(context)) : nullptr;
    if (budget && (size > MostEngineBytes || budget->Live + size > MostEngineBytes))
        return nullptr;
    auto* head = static_cast<TBlockHead*>(std::malloc(sizeof(TBlockHead) + size));
    if (!head)
        return nullptr;
    head->Budget = budget;
    head->Size = size;
    if (budget)
        budget->Live += size;
    return head + 1;
}

void Release(cmsContext, void* block)
{
    if (!block)
        return;
    auto* head = static_cast<TBlockHead*>(block) - 1;
    if (head->Budget)
        head->Budget->Live -= head->Size;
    std::free(head);
}

void* Reallocate(cmsContext context, void* block, cmsUInt32Number size)
{
    void* grown = Allocate(context, size);
    if (grown && block)
        std::memcpy(grown, block, std::min<std::size_t>(size, (static_cast<TBlockHead*>(block) - 1)->Size));
    if (grown)
        Release(context, block);
    return grown;
}

cmsPluginMemHandler MemoryPlugin = {
    {cmsPluginMagicNumber, 2060, cmsPluginMemHandlerSig, nullptr}, Allocate, Release, Reallocate,
    nullptr, nullptr, nullptr,
};

// The engine reports problems of a damaged profile through this; the
// caller learns of them from the failed call, and nothing is printed.
void IgnoreEngineError(cmsContext, cmsUInt32Number, const char*) {}

} // namespace

// One context of the colour engine with its memory budget, and what is made in it.
struct TColourEngine {
    TBudget Budget;
    cmsContext Context = nullptr;
    cmsHPROFILE Profile = nullptr;
    cmsHPROFILE Srgb = nullptr;
    cmsHTRANSFORM Transform = nullptr;

    TColourEngine()
    {
        Context = cmsCreateContext(&MemoryPlugin, &Budget);
        if (Context)
            cmsSetLogErrorHandlerTHR(Context, IgnoreEngineError);
    }
    ~TColourEngine()
    {
        if (Transform)
            cmsDeleteTransform(Transform);
        if (Srgb)
            cmsCloseProfile(Srgb);
        if (Profile)
            cmsCloseProfile(Profile);
        if (Context)
            cmsDeleteContext(Context);
    }
    TColourEngine(const TColourEngine&) = delete;
    TColourEngine& operator=(const TColourEngine&) = delete;

    // Opens bytes as a profile of the colour space wanted (gray or RGB
    // when wanted is 0) that describes device colours. The signatures are
    // read as plain numbers: a damaged profile holds values no enumerator has.
    bool Open(const QByteArray& bytes, std::uint32_t wanted)
    {
        if (!Context || bytes.size() < 132)
            return false;
        Profile = cmsOpenProfileFromMemTHR(Context, bytes.constData(), cmsUInt32Number(bytes.size()));
        if (!Profile)
            return false;
        switch (std::uint32_t(cmsGetDeviceClass(Profile))) {
        case cmsSigInputClass:
        case cmsSigDisplayClass:
        case cmsSigOutputClass:
        case cmsSigColorSpaceClass:
            break;
        default:
            return false; // links, abstract and named-colour profiles describe no picture
        }
        const std::uint32_t space = cmsGetColorSpace(Profile);
        if (wanted ? space != wanted : space != cmsSigRgbData && space != cmsSigGrayData)
            return false;
        const std::uint32_t pcs = cmsGetPCS(Profile);
        if (pcs != cmsSigXYZData && pcs != cmsSigLabData)
            return false;
        for (const cmsTagSignature tag : {cmsSigDToB0Tag, cmsSigDToB1Tag, cmsSigDToB2Tag, cmsSigDToB3Tag}) {
            if (!cmsIsTag(Profile, tag))
                continue;
            const auto* pipeline = static_cast<const cmsPipeline*>(cmsReadTag(Profile, tag));
            if (!pipeline || cmsPipelineStageCount(pipeline) > MostFloatStages)
                return false;
        }
        Srgb = cmsCreate_sRGBProfileTHR(Context);
        return Srgb != nullptr;
    }

    bool MakeTransform(cmsUInt32Number inFormat, cmsUInt32Number outFormat)
    {
        // The one-pixel cache only pays for pictures of large flat areas,
        // and costs a comparison on every pixel of a photograph.
        Transform = cmsCreateTransformTHR(Context, Profile, inFormat, Srgb, outFormat, INTENT_PERCEPTUAL,
                                          cmsFLAGS_NOCACHE);
        return Transform != nullptr;
    }

    // True when the profile is a matrix-and-curves RGB profile whose
    // primaries and curves are sRGB's: converting would only cost time.
    bool DescribesSrgb() const
    {
        if (!cmsIsMatrixShaper(Profile) || std::uint32_t(cmsGetColorSpace(Profile)) != cmsSigRgbData)
            return false;
        const cmsTagSignature colorants[] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
        const cmsTagSignature curves[] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
        for (int i = 0; i < 3; ++i) {
            const auto* ours = static_cast<const cmsCIEXYZ*>(cmsReadTag(Profile, colorants[i]));
            const auto* srgb = static_cast<const cmsCIEXYZ*>(cmsReadTag(Srgb, colorants[i]));
            if (!ours || !srgb || std::abs(ours->X - srgb->X) > 0.002 || std::abs(ours->Y - srgb->Y) > 0.002
                || std::abs(ours->Z - srgb->Z) > 0.002)
                return false;
            const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(Profile, curves[i]));
            const auto* srgbCurve = static_cast<const cmsToneCurve*>(cmsReadTag(Srgb, curves[i]));
            if (!curve || !srgbCurve)
                return false;
            for (int step = 0; step <= 32; ++step) {
                const float at = float(step) / 32;
                if (std::abs(cmsEvalToneCurveFloat(curve, at) - cmsEvalToneCurveFloat(srgbCurve, at)) > 0.25f / 255)
                    return false;
            }
        }
        return true;
    }
};

namespace {

bool ConvertGrey(TColourEngine& engine, QImage& picture)
{
    if (!engine.MakeTransform(TYPE_GRAY_8, TYPE_RGB_8))
        return false;
    std::uint8_t levels[256], rgb[256 * 3];
    for (int i = 0; i < 256; ++i)
        levels[i] = std::uint8_t(i);
    cmsDoTransform(engine.Transform, levels, rgb, 256);
    std::uint8_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = rgb[i * 3 + 1]; // grey lands on (nearly) equal channels; green is the brightest part
    const int width = picture.width(), height = picture.height();
    std::uint8_t* bits = picture.bits();
    if (!bits)
        return false;
    const std::size_t bytesPerLine = std::size_t(picture.bytesPerLine());
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bits + std::size_t(y) * bytesPerLine;
        for (std::size_t i = 0, n = std::size_t(width) * 3; i < n; ++i)
            row[i] = table[row[i]];
    }
    return true;
}

} // namespace

bool ConvertToSrgb(QImage& picture, const QByteArray& profile)
{
    try {
        if (picture.isNull() || picture.format() != QImage::Format_BGR888)
            return false;
        TColourEngine engine;
        if (!engine.Open(profile, 0))
            return false;
        if (std::uint32_t(cmsGetColorSpace(engine.Profile)) == cmsSigGrayData)
            return ConvertGrey(engine, picture);
        if (engine.DescribesSrgb())
            return true;
        if (!engine.MakeTransform(TYPE_BGR_8, TYPE_BGR_8))
            return false;
        std::uint8_t* bits = picture.bits();
        if (!bits)
            return false;
        // The whole picture in one call, in place: the engine reads each
        // pixel before it writes it.
        const auto bytesPerLine = cmsUInt32Number(picture.bytesPerLine());
        cmsDoTransformLineStride(engine.Transform, bits, bits, cmsUInt32Number(picture.width()),
                                 cmsUInt32Number(picture.height()), bytesPerLine, bytesPerLine, 0, 0);
        return true;
    } catch (...) {
        return false;
    }
}

struct TCmykToSrgb::TEngine : TColourEngine {};

TCmykToSrgb::TCmykToSrgb(std::unique_ptr<TEngine> engine) : FEngine(std::move(engine)) {}

TCmykToSrgb::~TCmykToSrgb() = default;

std::unique_ptr<TCmykToSrgb> TCmykToSrgb::Make(const QByteArray& profile, bool inverted)
{
    try {
        auto engine = std::make_unique<TEngine>();
        if (!engine->Open(profile, cmsSigCmykData)
            || !engine->MakeTransform(inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, TYPE_BGR_8))
            return nullptr;
        return std::unique_ptr<TCmykToSrgb>(new TCmykToSrgb(std::move(engine)));
    } catch (...) {
        return nullptr;
    }
}

void TCmykToSrgb::Convert(const std::uint8_t* cmyk, std::size_t cmykStride, std::uint8_t* bgr,
                          std::size_t bgrStride, int width, int rows) const
{
    if (width <= 0 || rows <= 0)
        return;
    cmsDoTransformLineStride(FEngine->Transform, cmyk, bgr, cmsUInt32Number(width), cmsUInt32Number(rows),
                             cmsUInt32Number(cmykStride), cmsUInt32Number(bgrStride), 0, 0);
}

} // namespace orvanto
