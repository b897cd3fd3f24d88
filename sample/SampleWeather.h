// The sample's synthetic weather: a year of outdoor temperature, humidity,
// pressure and sun for a climate, and the sun on a wall or the ground.
#pragma once

#include "SampleHour.h"

struct Climate {
    double dLatitude = 39.8;         // degrees north
    double dMeanF = 50.0;
    double dSeasonalSwingF = 22.0;   // half the summer-winter difference
    double dDailySwingF = 13.0;      // half the day-night difference, clear day
    double dWeatherSwingF = 8.0;     // passing fronts
    double dMeanHumidity = 0.0065;
    double dHumiditySwing = 0.0035;
    double dPressureInHg = 24.7;
    bool bSteady = false;            // constant conditions, no sun (laboratory cases)
};

// Fills the weather of hour iHour of the year (0 is 1 January, 0:00 to
// 1:00) into hour; the zone's fields are left alone.
void SetWeather(const Climate &climate, int iHour, SampleHour &hour);

// Humidity ratio of saturated air at dTempF and dPressureInHg.
double SaturationHumidity(double dTempF, double dPressureInHg);

// Beam and diffuse radiation on the ground, Btu/ft2.h.
double HorizontalIncident(const SampleHour &hour);

// Solar radiation on a vertical wall facing 'N', 'E', 'S' or 'W'.
double WallIncident(const SampleHour &hour, char cFacing);
