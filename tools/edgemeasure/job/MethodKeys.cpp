#include "job/MethodKeys.h"

#include <optional>
#include <string>

namespace {

// The caliper's limits: widths up to a thousand pixels, the caliper's own largest smoothing, and
// thresholds far above any edge of an 8-bit image.
constexpr double kMaxCaliperWidth = 1000.0;
constexpr double kMaxCaliperSigma = OCaliperEdgeSettings::kMaxSigma;
constexpr double kMaxCaliperThreshold = 10000.0;

// The first key of one method that a measurement uses, and where.
class KeyPlace {
  public:
    bool Found() const { return m_key != nullptr; }
    const char* Key() const { return m_key; }
    void Note(const JsonFieldReader& reader, const char* key) {
        if (!Found()) {
            m_reader.emplace(reader);
            m_key = key;
        }
    }
    [[noreturn]] void Fail(const std::string& problem) const { m_reader->Fail(m_key, problem); }

  private:
    std::optional<JsonFieldReader> m_reader;
    const char* m_key = nullptr;
};

bool IsObject(const JsonFieldReader& r, const char* key) {
    return r.Has(key) && r.Field(key).is_object();
}

std::string StringOr(const JsonFieldReader& r, const char* key) {
    return r.Has(key) && r.Field(key).is_string() ? r.Field(key).get<std::string>() : "";
}

void ScanPolarity(const JsonFieldReader& r, KeyPlace& path, KeyPlace& caliper) {
    const std::string polarity = StringOr(r, "polarity");
    if (polarity == "entering" || polarity == "leaving") {
        path.Note(r, "polarity");
    }
    if (polarity == "rising" || polarity == "falling") {
        caliper.Note(r, "polarity");
    }
}

void Scan(const JsonFieldReader& m, KeyPlace& path, KeyPlace& caliper) {
    for (const char* key : {"transition", "subpixel"}) {
        if (m.Has(key)) {
            path.Note(m, key);
        }
    }
    if (m.Has("caliper")) {
        caliper.Note(m, "caliper");
    }
    if (IsObject(m, "search")) {
        const JsonFieldReader s = m.Object("search");
        if (s.Has("mode") && StringOr(s, "mode") != "pair") {
            path.Note(s, "mode");
        }
        for (const char* key : {"n", "min_distance", "second_after_first"}) {
            if (s.Has(key)) {
                path.Note(s, key);
            }
        }
        if (s.Has("select")) {
            caliper.Note(s, "select");
        }
        ScanPolarity(s, path, caliper);
        for (const char* side : {"first", "second"}) {
            if (!IsObject(s, side)) {
                continue;
            }
            const JsonFieldReader e = s.Object(side);
            for (const char* key : {"n", "min_distance", "min_distance_to_other"}) {
                if (e.Has(key)) {
                    path.Note(e, key);
                }
            }
            ScanPolarity(e, path, caliper);
        }
    }
    if (IsObject(m, "fit") && m.Object("fit").Has("mode")) {
        path.Note(m.Object("fit"), "mode");
    }
}

OCaliperPolarity CaliperPolarity(const JsonFieldReader& r, OCaliperPolarity fallback) {
    return r.Choice<OCaliperPolarity>("polarity",
                                      {{"rising", OCaliperPolarity::Rising},
                                       {"falling", OCaliperPolarity::Falling},
                                       {"any", OCaliperPolarity::Any}},
                                      fallback);
}

void ParseCaliperObject(const JsonFieldReader& m, CaliperSetup& c) {
    if (!m.Has("caliper")) {
        return;
    }
    const JsonFieldReader r = m.Object("caliper");
    r.RejectUnknownKeys({"width", "sigma", "threshold", "blur"});
    c.width = r.Double("width", 0.0, kMaxCaliperWidth, c.width);
    if (!(c.width > 0.0)) {
        r.Fail("width", "must be above 0");
    }
    c.sigma = r.Double("sigma", 0.0, kMaxCaliperSigma, c.sigma);
    if (!(c.sigma > 0.0)) {
        r.Fail("sigma", "must be above 0");
    }
    c.threshold = r.Double("threshold", 0.0, kMaxCaliperThreshold, c.threshold);
    c.blur = r.Double("blur", 0.0, kMaxCaliperSigma, c.blur);
}

void ParsePairSearch(const JsonFieldReader& s, MeasurementKind kind, CaliperSetup& c) {
    s.RejectUnknownKeys({"mode", "first", "second", "select"});
    if (kind != MeasurementKind::Edges) {
        s.Fail("mode", "a pair measures edges only (kind \"edges\")");
    }
    for (const char* side : {"first", "second"}) {
        if (s.Has(side)) {
            const JsonFieldReader e = s.Object(side);
            e.RejectUnknownKeys({"polarity"});
            OCaliperPolarity& polarity = side[0] == 'f' ? c.firstPolarity : c.secondPolarity;
            polarity = CaliperPolarity(e, polarity);
        }
    }
    c.pairSelect =
        s.Choice<OCaliperPairSelection>("select",
                                        {{"first", OCaliperPairSelection::First},
                                         {"last", OCaliperPairSelection::Last},
                                         {"strongest", OCaliperPairSelection::Strongest}},
                                        c.pairSelect);
}

}  // namespace

MeasureMethod ParseMethod(const JsonFieldReader& m) {
    KeyPlace path;
    KeyPlace caliper;
    Scan(m, path, caliper);
    if (m.Has("method")) {
        const MeasureMethod method = m.Choice<MeasureMethod>(
            "method", {{"caliper", MeasureMethod::Caliper}, {"path", MeasureMethod::Path}});
        if (method == MeasureMethod::Caliper && path.Found()) {
            path.Fail(
                "a key of the path search, but this measurement uses calipers (\"method\": "
                "\"caliper\"); give \"method\": \"path\" to search paths, or the calipers' keys "
                "(\"caliper\": {\"width\", \"sigma\", \"threshold\"}, \"search\": {\"polarity\": "
                "\"rising\" | \"falling\" | \"any\", \"select\"})");
        }
        if (method == MeasureMethod::Path && caliper.Found()) {
            caliper.Fail(
                "a key of the calipers, but this measurement searches paths (\"method\": "
                "\"path\")");
        }
        return method;
    }
    if (path.Found() && caliper.Found()) {
        caliper.Fail("a key of the calipers beside the path search's \"" + std::string(path.Key()) +
                     "\": give \"method\" (\"caliper\" or \"path\")");
    }
    return path.Found() ? MeasureMethod::Path : MeasureMethod::Caliper;
}

CaliperSetup ParseCaliperKeys(const JsonFieldReader& m, MeasurementKind kind, SearchSetup& search) {
    CaliperSetup c;
    ParseCaliperObject(m, c);
    search.mode = SearchMode::First;
    if (!m.Has("search")) {
        return c;
    }
    const JsonFieldReader s = m.Object("search");
    if (s.Has("mode")) {
        s.Choice<SearchMode>("mode", {{"pair", SearchMode::Pair}});  // the only caliper mode
        search.mode = SearchMode::Pair;
        ParsePairSearch(s, kind, c);
        return c;
    }
    s.RejectUnknownKeys({"polarity", "select"});
    c.polarity = CaliperPolarity(s, c.polarity);
    c.select = s.Choice<OCaliperSelection>("select",
                                           {{"first", OCaliperSelection::First},
                                            {"last", OCaliperSelection::Last},
                                            {"strongest", OCaliperSelection::Strongest},
                                            {"all", OCaliperSelection::All}},
                                           c.select);
    search.mode = c.select == OCaliperSelection::All ? SearchMode::All : SearchMode::First;
    return c;
}
