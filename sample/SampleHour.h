// One hour of a sample case's year: the weather and what the zone and its
// equipment do in it, in the units the model works in (degrees F, Btu/h,
// Btu/ft2.h, inches of mercury, kW).
#pragma once

constexpr int kHoursPerYear = 8760;
constexpr double kPi = 3.14159265358979323846;
constexpr double kKilowattsPerBtuh = 2.9307107e-4;
constexpr double kBtuhPerKilowatt = 3412.14;

struct SampleHour {
    double dOutdoorF = 0.0;
    double dOutdoorHumidity = 0.0;     // lb water / lb dry air
    double dPressureInHg = 0.0;
    double dBeamNormal = 0.0;          // Btu/ft2.h
    double dDiffuseHorizontal = 0.0;   // Btu/ft2.h
    double dSinAltitude = 0.0;
    double dAzimuth = 0.0;             // radians from south, west positive
    double dZoneF = 0.0;
    double dFreeFloatF = 0.0;          // the same zone without heating or cooling
    double dZoneHumidity = 0.0;
    double dHeating = 0.0;             // Btu/h added (positive here)
    double dSensibleCooling = 0.0;     // Btu/h removed by the coil, fan heat included
    double dLatentCooling = 0.0;       // Btu/h
    double dEnvelopeSensible = 0.0;    // Btu/h gained by the zone
    double dEnvelopeLatent = 0.0;
    double dCompressorKW = 0.0;
    double dIndoorFanKW = 0.0;
    double dOutdoorFanKW = 0.0;
};
