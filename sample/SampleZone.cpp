#include "SampleZone.h"

#include <algorithm>

#include "SampleWeather.h"

namespace {

bool IsDaytime(int iHourOfDay) { return iHourOfDay >= 7 && iHourOfDay < 18; }

double WindowGain(const Building &building, const SampleHour &hour)
{
    double gain = 0.0;
    for (const char *facing = building.pszWindowFacing; *facing; ++facing)
        gain += 0.78 * building.dWindowArea * WallIncident(hour, *facing);
    return gain;
}

// The heat (positive) or cooling (negative) that holds the zone within its
// set points this hour, given where the zone would float to.
double ControlLoad(const Building &building, int iHourOfDay, double dFloatF, double dConductance)
{
    double heatingSet = iHourOfDay >= 23 || iHourOfDay < 7 ? building.dHeatingSetbackF : building.dHeatingSetF;
    bool coolingOn = building.bCooling && (!building.bCoolingDaytimeOnly || IsDaytime(iHourOfDay));
    if (building.bHeating && dFloatF < heatingSet)
        return dConductance * (heatingSet - dFloatF);
    if (coolingOn && dFloatF > building.dCoolingSetF)
        return dConductance * (building.dCoolingSetF - dFloatF);
    return 0.0;
}

// The load the equipment can deliver: an undersized furnace or coil lets
// the zone drift off its set point.
double LimitToCapacity(const Building &building, double dLoad)
{
    if (dLoad > 0 && building.dFurnaceCapacity > 0)
        return std::min(dLoad, building.dFurnaceCapacity);
    if (dLoad < 0 && building.dCoilCapacity > 0)
        return std::max(dLoad, -building.dCoilCapacity);
    return dLoad;
}

// Part-load ratio of an equipment of dCapacity (0: never limiting).
double PartLoad(double dLoad, double dCapacity) { return dCapacity > 0 ? std::min(1.0, dLoad / dCapacity) : 0.0; }

void SetCooling(const Building &building, SampleHour &hour, double dRemoved)
{
    const double partLoad = PartLoad(dRemoved, building.dCoilCapacity);
    hour.dIndoorFanKW = building.dIndoorFanKW * partLoad;
    hour.dOutdoorFanKW = building.dOutdoorFanKW * partLoad;
    hour.dSensibleCooling = dRemoved + hour.dIndoorFanKW * kBtuhPerKilowatt;
    if (building.dDriedHumidity > 0) {
        hour.dZoneHumidity = std::min(hour.dOutdoorHumidity, building.dDriedHumidity);
        hour.dLatentCooling = building.dLatentGain + 4840.0 * building.dVentilationCfm *
                                                         std::max(0.0, hour.dOutdoorHumidity - hour.dZoneHumidity);
    }
    if (building.dCoilCapacity <= 0)
        return;
    double cop = building.dRatedCop * (1.0 - 0.011 * (hour.dOutdoorF - 95.0)) * (1.0 + 0.01 * (hour.dZoneF - 80.0));
    cop = std::max(1.5, std::min(cop, 6.0)) * (1.0 - 0.229 * (1.0 - partLoad));
    hour.dCompressorKW = (hour.dSensibleCooling + hour.dLatentCooling) * kKilowattsPerBtuh / cop;
}

void SetHeating(const Building &building, SampleHour &hour, double dAdded)
{
    hour.dHeating = dAdded;
    hour.dIndoorFanKW = building.dIndoorFanKW * PartLoad(dAdded, building.dFurnaceCapacity);
}

// Humidity of a zone the coil does not dry: the outdoor air's plus what the
// occupants give off, short of condensing on the zone's surfaces.
double FloatingHumidity(const Building &building, const SampleHour &hour)
{
    double humidity = hour.dOutdoorHumidity + building.dLatentGain / 1.0e7;
    return std::min(humidity, 0.85 * SaturationHumidity(hour.dZoneF, hour.dPressureInHg));
}

// The air temperature the zone reaches without heating or cooling, the
// air itself holding no heat.
double FloatingAir(const Building &building, double dOutdoorF, double dMassF, double dAirGains)
{
    return (building.dUA * dOutdoorF + building.dMassCoupling * dMassF + dAirGains) /
           (building.dUA + building.dMassCoupling);
}

// One hour of the mass exchanging heat with the air and absorbing its gains.
void StepMass(const Building &building, double dAirF, double dMassGains, double &dMassF)
{
    dMassF += (building.dMassCoupling * (dAirF - dMassF) + dMassGains) / building.dMassCapacity;
}

}  // namespace

void SimulateZone(const Building &building, std::vector<SampleHour> &hours)
{
    const double airConductance = building.dUA + building.dMassCoupling;
    double massF = 68.0, floatingMassF = 68.0;
    for (int pass = 0; pass < 2; ++pass)
        for (int index = 0; index < kHoursPerYear; ++index) {
            SampleHour &hour = hours[index];
            const int hourOfDay = index % 24;
            const double solar = WindowGain(building, hour);
            const double airGains =
                (IsDaytime(hourOfDay) ? building.dInternalDay : building.dInternalNight) +
                (1.0 - building.dSolarToMass) * solar;
            const double massGains = building.dSolarToMass * solar;
            const double freeF = FloatingAir(building, hour.dOutdoorF, massF, airGains);
            const double load = LimitToCapacity(building, ControlLoad(building, hourOfDay, freeF, airConductance));
            hour = SampleHour{hour.dOutdoorF, hour.dOutdoorHumidity, hour.dPressureInHg, hour.dBeamNormal,
                              hour.dDiffuseHorizontal, hour.dSinAltitude, hour.dAzimuth};
            hour.dZoneF = freeF + load / airConductance;
            hour.dFreeFloatF = FloatingAir(building, hour.dOutdoorF, floatingMassF, airGains);
            StepMass(building, hour.dZoneF, massGains, massF);
            StepMass(building, hour.dFreeFloatF, massGains, floatingMassF);
            hour.dEnvelopeSensible = building.dUA * (hour.dOutdoorF - hour.dZoneF) + airGains + massGains;
            hour.dEnvelopeLatent = building.dLatentGain;
            hour.dZoneHumidity = FloatingHumidity(building, hour);
            if (load > 0)
                SetHeating(building, hour, load);
            else if (load < 0)
                SetCooling(building, hour, -load);
        }
}
