#include "outlines.h"

Outline headProfileOutline() {
    static const Outline control = {
        {0.45f, 0.02f}, {0.58f, 0.04f}, {0.67f, 0.10f}, {0.71f, 0.18f}, {0.72f, 0.25f},
        {0.705f, 0.285f}, {0.73f, 0.33f}, {0.79f, 0.40f}, {0.745f, 0.43f}, {0.735f, 0.45f},
        {0.75f, 0.48f}, {0.725f, 0.50f}, {0.74f, 0.525f}, {0.71f, 0.56f}, {0.72f, 0.60f},
        {0.66f, 0.64f}, {0.58f, 0.66f}, {0.58f, 0.75f}, {0.62f, 0.82f}, {0.85f, 0.90f},
        {0.97f, 1.0f},  {0.03f, 1.0f},  {0.12f, 0.88f}, {0.30f, 0.80f}, {0.36f, 0.70f},
        {0.33f, 0.60f}, {0.24f, 0.50f}, {0.20f, 0.36f}, {0.23f, 0.20f}, {0.32f, 0.08f},
    };
    return smoothOutline(control, 8);
}

Outline monkOutline() {
    static const Outline control = {
        {0.5f, 0.0f},   {0.66f, 0.03f}, {0.75f, 0.11f}, {0.74f, 0.2f},  {0.83f, 0.27f},
        {0.9f, 0.36f},  {0.93f, 0.52f}, {0.95f, 0.72f}, {0.99f, 0.9f},  {1.0f, 1.0f},
        {0.5f, 1.01f},  {0.0f, 1.0f},   {0.01f, 0.9f},  {0.05f, 0.72f}, {0.07f, 0.52f},
        {0.1f, 0.36f},  {0.17f, 0.27f}, {0.26f, 0.2f},  {0.25f, 0.11f}, {0.34f, 0.03f},
    };
    return smoothOutline(control, 10);
}

Outline birdOutline() {
    static const Outline control = {
        // beak, head and neck
        {0.04f, 0.50f}, {0.13f, 0.455f}, {0.2f, 0.44f}, {0.27f, 0.46f},
        // upper wing: leading edge up to the tip, then feathered trailing edge
        {0.35f, 0.42f}, {0.42f, 0.28f}, {0.52f, 0.13f}, {0.64f, 0.03f}, {0.76f, 0.0f},
        {0.72f, 0.06f}, {0.77f, 0.08f}, {0.68f, 0.14f}, {0.73f, 0.17f}, {0.63f, 0.23f},
        {0.67f, 0.27f}, {0.58f, 0.32f}, {0.6f, 0.37f},  {0.56f, 0.42f},
        // back and tail fan
        {0.66f, 0.45f}, {0.8f, 0.47f},  {0.95f, 0.43f}, {1.0f, 0.5f},   {0.96f, 0.55f},
        {0.99f, 0.6f},  {0.82f, 0.58f},
        // belly and lower wing
        {0.66f, 0.6f},  {0.58f, 0.66f}, {0.6f, 0.78f},  {0.66f, 0.9f},  {0.62f, 1.0f},
        {0.55f, 0.92f}, {0.54f, 0.97f}, {0.47f, 0.86f}, {0.45f, 0.9f},  {0.4f, 0.76f},
        {0.36f, 0.64f},
        // throat
        {0.24f, 0.56f}, {0.14f, 0.53f},
    };
    return smoothOutline(control, 8);
}

Outline fishOutline() {
    static const Outline control = {
        {0.03f, 0.52f}, {0.08f, 0.41f}, {0.18f, 0.31f}, {0.3f, 0.25f},  {0.37f, 0.12f},
        {0.5f, 0.05f},  {0.6f, 0.09f},  {0.63f, 0.24f}, {0.72f, 0.34f}, {0.82f, 0.43f},
        {0.95f, 0.17f}, {1.0f, 0.19f},  {0.94f, 0.5f},  {1.0f, 0.82f},  {0.95f, 0.84f},
        {0.82f, 0.58f}, {0.72f, 0.66f}, {0.63f, 0.76f}, {0.53f, 0.88f}, {0.46f, 0.77f},
        {0.35f, 0.77f}, {0.2f, 0.73f},  {0.1f, 0.64f},
    };
    return smoothOutline(control, 8);
}

Outline robedFigureOutline() {
    // Right half from the neck down to the hem; the left half mirrors it.
    static const Outline right = {
        {0.5f, 0.2f},   {0.55f, 0.215f}, {0.62f, 0.26f}, {0.76f, 0.275f}, {0.89f, 0.265f},
        {0.975f, 0.255f}, {0.985f, 0.285f}, {0.93f, 0.31f}, {0.85f, 0.35f}, {0.79f, 0.45f},
        {0.71f, 0.44f}, {0.645f, 0.42f}, {0.645f, 0.6f}, {0.68f, 0.8f},  {0.75f, 1.0f},
    };
    Outline control = right;
    for (size_t i = right.size(); i-- > 0;) {
        if (i == 0) break;  // the neck point is shared
        control.push_back(P2{1 - right[i].x, right[i].y});
    }
    return smoothOutline(control, 8);
}
