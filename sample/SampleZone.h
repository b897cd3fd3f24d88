// The sample's zone: one air node with its thermal mass, set points,
// internal gains, windows and the equipment that heats or cools it.
#pragma once

#include <vector>

#include "SampleHour.h"

struct Building {
    double dUA = 206.0;                // Btu/h.F, conduction and infiltration
    double dMassCapacity = 1000.0;     // Btu/F of walls, floor and furniture
    double dMassCoupling = 400.0;      // Btu/h.F between the mass and the air
    double dSolarToMass = 0.6;         // share of the solar gain the mass absorbs
    double dWindowArea = 129.0;        // ft2 of glazing per glazed facade
    const char *pszWindowFacing = "S"; // facades with windows
    double dInternalDay = 682.0;       // Btu/h sensible, 7:00 to 18:00
    double dInternalNight = 682.0;
    double dLatentGain = 0.0;          // Btu/h
    double dVentilationCfm = 0.0;      // outdoor air brought to the coil
    bool bHeating = true;
    bool bCooling = true;
    double dHeatingSetF = 68.0;
    double dHeatingSetbackF = 68.0;    // 23:00 to 7:00
    double dCoolingSetF = 80.6;
    bool bCoolingDaytimeOnly = false;  // 7:00 to 18:00
    double dDriedHumidity = 0.0;       // humidity ratio the coil holds; 0: no coil
    double dCoilCapacity = 0.0;        // Btu/h; 0: ideal unlimited system
    double dRatedCop = 3.5;
    double dIndoorFanKW = 0.0;
    double dOutdoorFanKW = 0.0;
    double dFurnaceCapacity = 0.0;     // Btu/h; 0: ideal heating
    double dFurnaceEfficiency = 1.0;
};

// Fills the zone's fields of every hour of the year from the weather
// already in hours.  Walks the year twice: the first pass only warms the
// mass up, so that 1 January starts from a state the year itself leads to.
// A second mass node follows the same zone left floating (a sunspace, a
// free-float case).
void SimulateZone(const Building &building, std::vector<SampleHour> &hours);
