"""plot() draws what `detection-batch process --plot` draws: the same bytes for the same answer,
and, read back by a PNG reader of our own, shaded spans and dotted boxes at the planted pulses."""
import struct
import zlib

import numpy as np
import pytest

import detection_workbench as dw


def read_png(path):
    """The pixels of an 8-bit RGB or RGBA PNG as an (height, width, 3) uint8 array."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, chunks = 8, {}
    idat = b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IDAT":
            idat += body
        else:
            chunks[kind] = body
        pos += 12 + length
    width, height, depth, colour = struct.unpack(">IIBB", chunks[b"IHDR"][:10])
    assert depth == 8 and colour in (2, 6)
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows = np.zeros((height, stride), dtype=np.int32)
    previous = np.zeros(stride, dtype=np.int32)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind, row = line[0], np.frombuffer(line[1:], dtype=np.uint8).astype(np.int32)
        out = np.zeros(stride, dtype=np.int32)
        for x in range(stride):
            a = out[x - channels] if x >= channels else 0
            b = previous[x]
            c = previous[x - channels] if x >= channels else 0
            if kind == 0:
                predictor = 0
            elif kind == 1:
                predictor = a
            elif kind == 2:
                predictor = b
            elif kind == 3:
                predictor = (a + b) // 2
            else:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                predictor = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
            out[x] = (row[x] + predictor) & 0xFF
        rows[y] = out
        previous = out
    return rows.reshape(height, width, channels)[:, :, :3].astype(np.uint8)


@pytest.fixture(scope="module")
def made():
    return dw.process(length=2000, tmin=30, tmax=90, noise=0)


def test_plot_writes_the_bytes_of_the_companion(made, batch, tmp_path):
    own = tmp_path / "own.png"
    theirs = tmp_path / "theirs.png"
    done = batch.run("process", "--length", 2000, "--tmin", 30, "--tmax", 90, "--noise", 0, "--plot", theirs)
    assert done.returncode == 0, done.stderr
    title = ("detection-batch process: " + made["solver"] + " on a made series, 2000 samples, "
             f"{len(made['lpRestoredPositions'])} pulses found, {len(made['lpPositions'])} true")
    dw.plot(str(own), made["lpNoisyData"], made["lpRestoredPositions"], made["wImpulseSize"],
            truth=made["lpPositions"], title=title)
    assert own.read_bytes() == theirs.read_bytes()


def test_shades_and_boxes_stand_at_the_planted_pulses(made, tmp_path):
    path = tmp_path / "stretch.png"
    dw.plot(str(path), made["lpNoisyData"], made["lpRestoredPositions"], made["wImpulseSize"],
            truth=made["lpPositions"], plot_range=(500, 900))
    image = read_png(path)
    assert image.shape == (400, 1280, 3)
    black = np.all(image == 0, axis=2)
    shade = np.all(image == (192, 190, 178), axis=2)
    axis = int(np.argmax(black.sum(axis=0)[:200]))
    column_black = black.sum(axis=0)
    # The strip spans the axis' black run; its width gives the scale of 400 samples.
    rows = np.nonzero(black[:, axis])[0]
    top, bottom = rows.min(), rows.max()
    right = axis + np.nonzero(black[(top + bottom) // 2 - 2:(top + bottom) // 2 + 3, axis:].any(axis=0))[0].max()
    span = right - axis - 1
    planted = [p for p in made["lpPositions"] if p + 19 >= 500 and p < 900]
    assert len(planted) > 3
    for p in planted:
        first, last = max(p, 500), min(p + 19, 899)
        x1 = axis + 1 + (first - 500) * span / 399
        x2 = axis + 1 + (last - 500) * span / 399
        middle = int(round((x1 + x2) / 2))
        assert shade[:, middle].sum() > (bottom - top) // 4, p
        near = range(int(x1) - 1, int(x1) + 3)
        assert max(column_black[x] for x in near) > (bottom - top) // 6, p
    # Outside every planted span there is no shade.
    inside = np.zeros(image.shape[1], dtype=bool)
    for p in planted:
        a = axis + 1 + (max(p, 500) - 500) * span / 399
        b = axis + 1 + (min(p + 19, 899) - 500) * span / 399
        inside[int(a) - 1:int(b) + 3] = True
    assert not shade[:, ~inside].any()


def test_plot_refuses_what_it_cannot_draw(made, tmp_path):
    args = (made["lpNoisyData"], made["lpRestoredPositions"], made["wImpulseSize"])
    with pytest.raises(dw.OptionError):
        dw.plot(str(tmp_path / "a.png"), *args, plot_range=(10, 10))
    with pytest.raises(dw.OptionError):
        dw.plot(str(tmp_path / "a.png"), *args, plot_range=(0, 2001))
    with pytest.raises(ValueError):
        dw.plot(str(tmp_path / "a.gif"), *args)
    with pytest.raises(ValueError):
        dw.plot(str(tmp_path / "a.png"), np.array([0.5, 1.0]), [], 20)
    with pytest.raises(ValueError):
        dw.plot(str(tmp_path / "a.png"), np.array([40000]), [], 20)
    with pytest.raises(TypeError):
        dw.plot(str(tmp_path / "a.png"), np.zeros((2, 2)), [], 20)
    with pytest.raises(RuntimeError):
        dw.plot(str(tmp_path / "no-such-folder" / "a.png"), *args)
    assert not (tmp_path / "a.png").exists()
