#include "BrowseButton.h"

#include <utility>

namespace {

// The button is this many tenths of the client's height wide.
const int kButtonWidthTenths = 12;

// rc with its corners in order: a field lower than its frame has a client
// area of negative height, and so a button of negative width.
PixelRect Normalized(PixelRect rc)
{
    if (rc.left > rc.right)
        std::swap(rc.left, rc.right);
    if (rc.top > rc.bottom)
        std::swap(rc.top, rc.bottom);
    return rc;
}

} // namespace

int BrowseButton::Place(const PixelRect &rcClient)
{
    const int nWidth = (rcClient.bottom - rcClient.top) * kButtonWidthTenths / 10;
    m_rect = Normalized({rcClient.right - nWidth, rcClient.top, rcClient.right, rcClient.bottom});
    return nWidth;
}

bool BrowseButton::Contains(PixelPoint pt) const
{
    return pt.x >= m_rect.left && pt.x < m_rect.right && pt.y >= m_rect.top && pt.y < m_rect.bottom;
}

// Three dots centred in the button, q apart and d across (w the button's
// width): q = w / 4, d = w / 10, single pixels when d is below 2.
EllipsisDots BrowseButton::Dots(int nOffset) const
{
    const int nWidth = m_rect.right - m_rect.left;
    const int nHeight = m_rect.bottom - m_rect.top;
    const int nSpacing = nWidth / 4;
    const int nDot = nWidth / 10;
    const int nX = m_rect.left + nWidth / 2 - nSpacing - (nWidth % 4 == 0 ? 1 : 0) + nOffset;
    const int nY = nHeight / 2 - nDot / 2 + 1 + nOffset;
    EllipsisDots dots;
    dots.bSinglePixels = nDot < 2;
    const int nAcross = dots.bSinglePixels ? 1 : nDot;
    for (int i = 0; i < 3; ++i)
        dots.dots[i] = {nX + i * nSpacing, nY, nX + i * nSpacing + nAcross, nY + nAcross};
    return dots;
}

BrowseButton::Look BrowseButton::Show(Look look, bool bEnabled)
{
    m_look = bEnabled ? look : kDisabled;
    return m_look;
}

bool BrowseButton::Press(PixelPoint pt, bool bEnabled)
{
    if (!Contains(pt))
        return false;
    m_bTracking = true;
    Show(kPushed, bEnabled);
    return true;
}

bool BrowseButton::Track(PixelPoint pt, bool bEnabled)
{
    const Look look = Contains(pt) ? kPushed : kRaised;
    if (!m_bTracking || m_look == look)
        return false;
    Show(look, bEnabled);
    return true;
}

BrowseButton::Release BrowseButton::ReleaseAt(PixelPoint pt, bool bEnabled)
{
    Release release;
    if (!m_bTracking)
        return release;
    m_bTracking = false;
    release.bRedraw = m_look != kRaised;
    if (release.bRedraw)
        Show(kRaised, bEnabled);
    release.bBrowse = Contains(pt);
    return release;
}
