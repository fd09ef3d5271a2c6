#pragma once
// The demo parts catalogue and the generator of large catalogues for
// measurements (democatalogue*.cpp). SeedCatalogueDemo (demodata.h) seeds the
// curated catalogue with carriers, account prices and a sample basket.

#include <QByteArray>
#include <QColor>

#include <functional>

namespace tarsel::server {

class Db;

// The kinds of part the picture drawer knows.
enum class PartShape {
    BrakePad,
    BrakeDisc,
    BrakeDrum,
    MasterCylinder,
    SpinFilter,
    PanelFilter,
    ShockAbsorber,
    Mount,
    ControlArm,
    BallJoint,
    BeltKit,
    Belt,
    WaterPump,
    SparkPlug,
    IgnitionCoil,
    Thermostat,
    ClutchKit,
    Bearing,
    Bulb,
    Lamp,
    Radiator,
    Fan,
    Hose,
    Battery,
    Motor,
    Sensor,
    WiperBlade,
};

// A product-like picture of a part (320 x 240, white background, the part
// drawn with shapes in the given colour), JPEG-encoded; `variant` turns and
// shades it a little. Needs no display: painted on a QImage.
QByteArray PartPicture(PartShape shape, const QColor &accent, int variant);

// Adds `itemCount` generated items (numbers from `firstStokno` on) with their
// search words, pictures for about one item in ten (small, shared bytes) and
// the usual spread of statuses, campaigns and new items. Runs in its own
// transactions of a few thousand items; `progress` (if given) is called
// with the number of items written so far. Deterministic for a given seed.
void SeedLargeCatalogue(Db &db, int itemCount, int firstStokno = 1000000, unsigned seed = 1,
                        const std::function<void(int)> &progress = {});

}  // namespace tarsel::server
