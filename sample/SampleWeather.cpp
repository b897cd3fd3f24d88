#include "SampleWeather.h"

#include <algorithm>
#include <cmath>

namespace {

// A number in [0, 1) fixed by its arguments: the cloudiness of a day.
double Scatter(int iDay, double dSeed)
{
    double x = std::sin(iDay * 12.9898 + dSeed * 78.233) * 43758.5453;
    return x - std::floor(x);
}

// Passing weather in [-1, 1], smooth over days.
double Fronts(double dDays)
{
    return 0.5 * std::sin(2 * kPi * dDays / 3.7) + 0.3 * std::sin(2 * kPi * dDays / 6.3 + 1.0) +
           0.2 * std::sin(2 * kPi * dDays / 11.1 + 2.0);
}

void SetSun(const Climate &climate, int iDay, int iHourOfDay, double dClearness, SampleHour &hour)
{
    double latitude = climate.dLatitude * kPi / 180.0;
    double declination = 23.45 * kPi / 180.0 * std::sin(2 * kPi * (284 + iDay + 1) / 365.0);
    double hourAngle = 15.0 * kPi / 180.0 * (iHourOfDay + 0.5 - 12.0);
    hour.dSinAltitude = std::sin(latitude) * std::sin(declination) +
                        std::cos(latitude) * std::cos(declination) * std::cos(hourAngle);
    hour.dAzimuth = std::atan2(std::sin(hourAngle) * std::cos(declination),
                               std::cos(hourAngle) * std::cos(declination) * std::sin(latitude) -
                                   std::sin(declination) * std::cos(latitude));
    if (hour.dSinAltitude <= 0.02)
        return;
    hour.dBeamNormal = 330.0 * dClearness * std::pow(hour.dSinAltitude, 0.3);
    hour.dDiffuseHorizontal = (20.0 + 60.0 * (1.0 - dClearness)) * std::sqrt(hour.dSinAltitude);
}

}  // namespace

double SaturationHumidity(double dTempF, double dPressureInHg)
{
    double celsius = (dTempF - 32.0) / 1.8;
    double vapourKPa = 0.61094 * std::exp(17.625 * celsius / (celsius + 243.04));
    double airKPa = dPressureInHg * 3.38639;
    return 0.622 * vapourKPa / std::max(airKPa - vapourKPa, 0.1);
}

void SetWeather(const Climate &climate, int iHour, SampleHour &hour)
{
    const int day = iHour / 24, hourOfDay = iHour % 24;
    hour.dPressureInHg = climate.dPressureInHg + 0.15 * Fronts(day / 1.3 + 0.7);
    if (climate.bSteady) {
        hour.dOutdoorF = climate.dMeanF;
        hour.dOutdoorHumidity = climate.dMeanHumidity;
        return;
    }
    double clearness = 0.35 + 0.65 * Scatter(day, climate.dLatitude);
    double days = iHour / 24.0;
    double warmestHour = 15.0 + 3.0 * (Scatter(day, 3.3) - 0.5);
    hour.dOutdoorF = climate.dMeanF - climate.dSeasonalSwingF * std::cos(2 * kPi * (days - 15.0) / 365.0) +
                     climate.dDailySwingF * (0.5 + 0.5 * clearness) *
                         std::cos(2 * kPi * (hourOfDay - warmestHour) / 24.0) +
                     climate.dWeatherSwingF * Fronts(days) + 1.2 * (Scatter(iHour, 5.1) - 0.5);
    double humidity = climate.dMeanHumidity + climate.dHumiditySwing * std::cos(2 * kPi * (days - 200.0) / 365.0) +
                      0.0008 * Fronts(days + 1.9);
    hour.dOutdoorHumidity =
        std::max(0.0006, std::min(humidity, 0.9 * SaturationHumidity(hour.dOutdoorF, hour.dPressureInHg)));
    SetSun(climate, day, hourOfDay, clearness * (0.85 + 0.15 * Scatter(iHour, 7.7)), hour);
}

double HorizontalIncident(const SampleHour &hour)
{
    return hour.dBeamNormal * std::max(0.0, hour.dSinAltitude) + hour.dDiffuseHorizontal;
}

double WallIncident(const SampleHour &hour, char cFacing)
{
    const double facing = cFacing == 'N' ? kPi : cFacing == 'E' ? -kPi / 2 : cFacing == 'W' ? kPi / 2 : 0.0;
    double cosAltitude = std::sqrt(std::max(0.0, 1.0 - hour.dSinAltitude * hour.dSinAltitude));
    double beam = hour.dBeamNormal * std::max(0.0, cosAltitude * std::cos(hour.dAzimuth - facing));
    return beam + 0.5 * hour.dDiffuseHorizontal + 0.1 * HorizontalIncident(hour);
}
