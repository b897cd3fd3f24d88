// A recursive-descent reading of the formula, evaluated as it is read.
#include "CellFormula.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

class FormulaReader {
public:
    FormulaReader(const std::string &strFormula, const CellResolver &resolve) : m_text(strFormula), m_resolve(resolve) {}

    bool Evaluate(double &dValue)
    {
        SkipSpaces();
        if (Peek() == '=')
            ++m_at;
        if (!Sum(dValue))
            return false;
        SkipSpaces();
        return m_at == m_text.size() && std::isfinite(dValue);
    }

private:
    const std::string &m_text;
    const CellResolver &m_resolve;
    size_t m_at = 0;

    char Peek() const { return m_at < m_text.size() ? m_text[m_at] : '\0'; }
    void SkipSpaces()
    {
        while (Peek() == ' ')
            ++m_at;
    }
    bool Take(char c)
    {
        SkipSpaces();
        if (Peek() != c)
            return false;
        ++m_at;
        return true;
    }

    bool Sum(double &dValue)
    {
        if (!Product(dValue))
            return false;
        for (;;) {
            const bool bPlus = Take('+');
            if (!bPlus && !Take('-'))
                return true;
            double term = 0.0;
            if (!Product(term))
                return false;
            dValue = bPlus ? dValue + term : dValue - term;
        }
    }

    bool Product(double &dValue)
    {
        if (!Factor(dValue))
            return false;
        for (;;) {
            const bool bTimes = Take('*');
            if (!bTimes && !Take('/'))
                return true;
            double factor = 0.0;
            if (!Factor(factor) || (!bTimes && factor == 0.0))
                return false;
            dValue = bTimes ? dValue * factor : dValue / factor;
        }
    }

    bool Factor(double &dValue)
    {
        if (Take('-')) {
            if (!Factor(dValue))
                return false;
            dValue = -dValue;
            return true;
        }
        if (Take('(')) {
            return Sum(dValue) && Take(')');
        }
        SkipSpaces();
        const char c = Peek();
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.')
            return Number(dValue);
        if (c >= 'A' && c <= 'Z')
            return Cell(dValue);
        return false;
    }

    bool Number(double &dValue)
    {
        const char *pStart = m_text.c_str() + m_at;
        char *pEnd = nullptr;
        dValue = std::strtod(pStart, &pEnd);
        if (pEnd == pStart)
            return false;
        m_at += static_cast<size_t>(pEnd - pStart);
        return true;
    }

    bool Cell(double &dValue)
    {
        const size_t start = m_at;
        while (Peek() >= 'A' && Peek() <= 'Z')
            ++m_at;
        const size_t digits = m_at;
        while (std::isdigit(static_cast<unsigned char>(Peek())))
            ++m_at;
        return m_at > digits && m_resolve(m_text.substr(start, m_at - start), dValue);
    }
};

}  // namespace

bool EvaluateCellFormula(const std::string &strFormula, const CellResolver &resolve, double &dValue)
{
    return FormulaReader(strFormula, resolve).Evaluate(dValue);
}
