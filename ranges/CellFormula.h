// The arithmetic of the workbooks' conversion formulas and of the formulas
// the program posts: numbers, cell names, + - * /, unary minus and
// parentheses, as in "(M48-32)/180*100", "C204/24-D120" or "= 11552 + D146".
#pragma once

#include <functional>
#include <string>

// Gives the number a cell holds; false when it holds none.
using CellResolver = std::function<bool(const std::string &strCell, double &dValue)>;

// The value of strFormula (a leading "=" is allowed) with its cells given by
// resolve; false when it is no such formula, a cell it names holds no number,
// or it divides by zero.
bool EvaluateCellFormula(const std::string &strFormula, const CellResolver &resolve, double &dValue);
