"""Reflection of a stack of layers written here from the textbook, in numpy complex128,
independently of the package: the Fresnel coefficients of every interface and the Airy
sum taken from the substrate up. Indices n - ik, a wave going as exp(-i k z), normal
components on the principal root (the Airy sum is the same on either root of a layer)."""

import numpy as np


def stack_model(layers, substrate, wavelength, angle):
    """rp, rs, Psi and Delta (degrees) of ``layers`` ((index, thickness nm) from the
    ambient side down) on ``substrate`` in air; every value broadcasts."""
    s2 = np.sin(np.radians(angle)) ** 2
    media = ([1.0 + 0j] + [np.asarray(n, complex) for n, _ in layers]
             + [np.asarray(substrate, complex)])
    x = [np.sqrt(n**2 - s2 + 0j) for n in media]

    def fresnel(j):
        """rp, rs of the interface between media j and j + 1."""
        a, b = media[j] ** 2, media[j + 1] ** 2
        return ((b * x[j] - a * x[j + 1]) / (b * x[j] + a * x[j + 1]),
                (x[j] - x[j + 1]) / (x[j] + x[j + 1]))

    rp, rs = fresnel(len(layers))
    for j in range(len(layers), 0, -1):
        e = np.exp(-4j * np.pi * layers[j - 1][1] * x[j] / wavelength)
        tp, ts = fresnel(j - 1)
        rp, rs = (tp + rp * e) / (1 + tp * rp * e), (ts + rs * e) / (1 + ts * rs * e)
    rho = rp / rs
    return rp, rs, np.degrees(np.arctan(np.abs(rho))), np.degrees(np.angle(rho))
