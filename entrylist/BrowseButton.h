// The "..." browse button a path field draws inside its own frame: where it
// sits, where its three dots go, and which look it has while the mouse
// presses, drags and releases it.  Both path fields (Qt and Win32) keep one
// and only paint, capture and open browsers themselves.  Coordinates are
// whatever the field measures its client area in, as long as the points it
// hands in are measured the same way.
#pragma once

// A rectangle in pixels, right and bottom excluded.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
};

// The three dots of the button, each given by the box it fills: an ellipse
// touching the box's edges, or, when bSinglePixels, the box's one pixel.
struct EllipsisDots {
    bool bSinglePixels = false;
    PixelRect dots[3];
};

class BrowseButton {
public:
    // How the button is drawn.
    enum Look { kRaised = 0, kPushed = 1, kDisabled = 2 };

    // Puts the button at the right end of rcClient, as high as that area and
    // 1.2 times as wide (rounded toward zero).  Gives that width: how far the
    // text's area must end before the client's right edge.
    int Place(const PixelRect &rcClient);

    // Where the button is, its corners in order; empty until placed.
    const PixelRect &Rect() const { return m_rect; }
    bool Contains(PixelPoint pt) const;

    // The dots, nOffset pixels right of and below their raised place (the
    // pushed face and the disabled look's highlight are drawn one pixel off).
    // Their top is measured from the field's top edge, a one-pixel frame
    // counted in, whatever frame the field has.
    EllipsisDots Dots(int nOffset) const;

    Look CurrentLook() const { return m_look; }
    bool IsTracking() const { return m_bTracking; }

    // Takes look as the one to draw, or the disabled look whatever is asked
    // while the field is disabled; gives the look to draw.
    Look Show(Look look, bool bEnabled);

    // A left press at pt.  On the button the mouse is tracked from now on
    // and the button looks pushed: true, draw it again.  Elsewhere nothing
    // changes and the press is the field's own.
    bool Press(PixelPoint pt, bool bEnabled);

    // The pointer moved to pt: while tracking, the button looks pushed over
    // itself and raised off it.  True when that changed its look.
    bool Track(PixelPoint pt, bool bEnabled);

    struct Release {
        bool bRedraw = false; // the look changed back to raised
        bool bBrowse = false; // released on the button: the browser opens
    };
    // The left button went up at pt: tracking ends with the button raised.
    // Nothing happens when it was not tracking.
    Release ReleaseAt(PixelPoint pt, bool bEnabled);

    // The field lost its window or the mouse: tracking ends, the look stays.
    void StopTracking() { m_bTracking = false; }

private:
    PixelRect m_rect;
    Look m_look = kRaised;
    bool m_bTracking = false;
};
