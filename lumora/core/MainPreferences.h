#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <type_traits>

// The program-wide settings record. optionsbox edits it in place through a pointer, so the field
// order and types are a layout contract with that library.
struct MainPreferences {
    MainPreferences();
    MainPreferences(const MainPreferences& other);
    // Copies every stored field and recomputes the derived ones.
    MainPreferences& operator=(const MainPreferences& other);

    // Rebuilds FixedFormat, ExponentFormat, ExponentLimit and ExponentResolution from Digits and the
    // two indices.
    void UpdateDerivedFields();

    int MeasureMode = 0;
    QString PathConfig;
    int SaveLog = 0;
    QString LogPath;
    QString LogFileName;
    int Digits = 6;
    int EFormat_Little = 2;
    int EFormat_Big = 2;
    QString FilePathCurr;
    int AutoSaveCurr = 0;
    QString FilePathVolt;
    int AutoSaveVolt = 0;
    QString FilePathCCDF;
    int AutoSaveCCDF = 0;
    QString FilePathDataLogging;
    int AutoSaveDataLogging = 1;
    int ElapsedRefresh = 5;
    QString FixedFormat;
    QString ExponentFormat;
    double ExponentLimit = 99999.0;
    double ExponentResolution = 0.1;
};

static_assert(std::is_standard_layout_v<MainPreferences>);
static_assert(offsetof(MainPreferences, MeasureMode) == 0);
static_assert(offsetof(MainPreferences, PathConfig) < offsetof(MainPreferences, SaveLog));
static_assert(offsetof(MainPreferences, LogFileName) < offsetof(MainPreferences, Digits));
static_assert(offsetof(MainPreferences, EFormat_Big) < offsetof(MainPreferences, FilePathCurr));
static_assert(offsetof(MainPreferences, AutoSaveDataLogging) < offsetof(MainPreferences, ElapsedRefresh));
static_assert(offsetof(MainPreferences, ExponentFormat) < offsetof(MainPreferences, ExponentLimit));
static_assert(offsetof(MainPreferences, ExponentResolution) + sizeof(double) == sizeof(MainPreferences));
static_assert(sizeof(void*) != 8 || sizeof(QString) != 24 || sizeof(MainPreferences) == 296);

// The largest number of decimals a measured value is written with.
constexpr int kMaxValueDigits = 15;

// v in ExponentFormat when |v| > ExponentLimit or |v| < ExponentResolution, else in FixedFormat (a
// value that is not a number too). The precision of the format text is bounded to 0..15.
QString FormatMeasuredValue(const MainPreferences& preferences, double v);

// The choice FormatMeasuredValue makes, taken from the record once, for writers of many values.
struct SMeasuredValueFormat {
    explicit SMeasuredValueFormat(const MainPreferences& preferences);
    // Appends v as FormatMeasuredValue writes it.
    void Append(std::string& out, double v) const;
    // The same into a buffer with room for platform::kNumberChars characters; the end of the text.
    char* Format(char* at, double v) const;

    int FixedPrecision;
    int ExponentPrecision;
    double ExponentLimit;
    double ExponentResolution;
};
