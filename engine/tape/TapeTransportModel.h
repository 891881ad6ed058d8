#pragma once

/** The tape mechanics shared by every track: turns the transport's target speed into the
    speed the tape really moves at (wow, flutter, the tension arm, sync lock) and keeps the
    reel phase the deck draws. Audio thread only; the editor reads speed, reelPhase and
    armAngle for display.

    For now advance only follows the target speed and publishes the format's constants; the
    wow, flutter, arm and sync-lock dynamics come with the mechanics themselves. */
class TapeTransportModel
{
public:
    void setTargetSpeed (double newTargetSpeed) noexcept { targetSpeed = newTargetSpeed; }

    /** One sample of the mechanics. */
    void advance (bool armGrabbed, float armTargetAngle, float wow, float flutter, int format, float tensionJerk,
                  bool syncLock) noexcept;

    double getSpeed() const noexcept { return speed; }
    float getHissFactor() const noexcept { return hissFactor; }
    float getBandwidth() const noexcept { return bandwidth; }

    /** Hiss factor and bandwidth of a tape format (0 "1 inch Master" .. 3 "Cassette"). */
    static float getFormatHissFactor (int format) noexcept;
    static float getFormatBandwidth (int format) noexcept;

    double dt = 0.0;
    double speed = 0.0;
    double previousSpeed = 0.0;
    double reelPhase = 0.0;
    double syncReference = 0.0;
    double syncTape = 0.0;
    double syncCorrection = 0.0;
    float hissFactor = 0.0f;
    float bandwidth = 20000.0f;
    double armAngle = 0.0;
    double armVelocity = 0.0;
    double reelMass = 1.5;
    double massSmoothed = 1.5;
    double armSpring = 240.0;
    double armDamping = 22.0;
    double targetSpeed = 1.0;
    double wowPhase = 0.0;
    double flutterPhase = 0.0;
    double modulation = 0.0;
};
