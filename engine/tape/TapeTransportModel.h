#pragma once

/** The tape mechanics shared by every track: turns the transport's target speed into the
    speed the tape really moves at (wow, flutter, the spring-loaded tension arm, sync lock)
    and keeps the reel phase the deck draws. It also hands the heads the tape format's hiss
    factor and bandwidth.

    The block stage sets targetSpeed and calls advance once per sample before the tracks run;
    every track then moves by getSpeed() for that sample. Audio thread only (or the offline
    renderer's thread); the editor reads speed, reelPhase and armAngle for display without
    synchronisation. */
class TapeTransportModel
{
public:
    /** Readies the model for a device rate: the arm comes to rest at its centre and the
        target speed drops to 0. Speed, reel phase and the sync-lock integrators carry on. */
    void prepare (double sampleRate) noexcept;

    void setTargetSpeed (double newTargetSpeed) noexcept { targetSpeed = newTargetSpeed; }

    /** One sample of the mechanics. armTargetAngle is where a grabbed arm is pulled to;
        wow 0..4 and flutter 0..1 are the knob values (the caller scales flutter for
        cassette); format 0 "1 inch Master" .. 3 "Cassette"; tensionJerk is the random walk
        that drag defects and the digital finger feed to the arm. */
    void advance (bool armGrabbed, float armTargetAngle, float wow, float flutter, int format, float tensionJerk,
                  bool syncLock) noexcept;

    double getSpeed() const noexcept { return speed; }
    float getHissFactor() const noexcept { return hissFactor; }
    float getBandwidth() const noexcept { return bandwidth; }

    /** The per-format constants (a format outside 0..3 takes the nearest one). */
    struct Format
    {
        float inertia, wowDepth, flutterDepth, hissFactor, bandwidth;
    };

    static const Format& getFormat (int format) noexcept;
    static float getFormatHissFactor (int format) noexcept { return getFormat (format).hissFactor; }
    static float getFormatBandwidth (int format) noexcept { return getFormat (format).bandwidth; }

    /** Travel of the tension arm either side of its centre, in radians. */
    static constexpr double armLimit = 0.6;
    static constexpr double twoPi = 6.28318;

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

    // The wow-and-flutter oscillator.
    double wowPhase = 0.0;
    double flutterPhase = 0.0;
    double modulation = 0.0;

private:
    /** The target speed with wow and flutter added; no wow at standstill. */
    double wowAndFlutter (float wow, float flutter, const Format& constants) noexcept;
};
