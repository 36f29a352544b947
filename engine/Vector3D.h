#pragma once
// Float 3-vectors of the lighting code; the normalised kind normalises after every set.

class Oru_Vector3D {
public:
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Oru_Vector3D() = default;
    Oru_Vector3D(float ax, float ay, float az) : x(ax), y(ay), z(az) {}
    virtual ~Oru_Vector3D() = default;
    Oru_Vector3D(const Oru_Vector3D&) = default;
    Oru_Vector3D& operator=(const Oru_Vector3D&) = default;

    // Second point minus first point.
    virtual void SetDifference(const Oru_Vector3D& from, const Oru_Vector3D& to) {
        x = to.x - from.x;
        y = to.y - from.y;
        z = to.z - from.z;
    }
    virtual void Set(const Oru_Vector3D& v) {
        x = v.x;
        y = v.y;
        z = v.z;
    }
    virtual void Set(float ax, float ay, float az) {
        x = ax;
        y = ay;
        z = az;
    }
};

class Oru_NormalizedVector3D : public Oru_Vector3D {
public:
    Oru_NormalizedVector3D() = default;
    Oru_NormalizedVector3D(float ax, float ay, float az) { Oru_NormalizedVector3D::Set(ax, ay, az); }

    void SetDifference(const Oru_Vector3D& from, const Oru_Vector3D& to) override {
        Oru_Vector3D::SetDifference(from, to);
        Normalize();
    }
    void Set(const Oru_Vector3D& v) override {
        Oru_Vector3D::Set(v);
        Normalize();
    }
    void Set(float ax, float ay, float az) override {
        Oru_Vector3D::Set(ax, ay, az);
        Normalize();
    }

    // Length below 1e-10 counts as 1e-10, so a zero vector stays zero.
    void Normalize();
};
