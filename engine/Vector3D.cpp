#include "engine/Vector3D.h"

#include <algorithm>
#include <cmath>

void Oru_NormalizedVector3D::Normalize() {
    const float s = x * x + y * y + z * z;
    float length = s > 0.0f ? static_cast<float>(std::sqrt(static_cast<double>(s))) : 0.0f;
    length = std::max(length, 1e-10f);
    const float inv = 1.0f / length;
    x *= inv;
    y *= inv;
    z *= inv;
}
