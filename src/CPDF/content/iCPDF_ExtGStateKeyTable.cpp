#include "CPDF/content/iCPDF_ExtGStateKeyTable.h"

const iCPDF_ExtGStateKey iCPDF_ExtGStateKey::Declared[NumCodes] = {
    {Type, "Type"}, {BG, "BG"},   {BG2, "BG2"}, {D, "D"},       {Font, "Font"}, {FL, "FL"},   {HT, "HT"}, {HT2, "HT2"},
    {HTP, "HTP"},   {LC, "LC"},   {LJ, "LJ"},   {LW, "LW"},     {ML, "ML"},     {RI, "RI"},   {SA, "SA"}, {SM, "SM"},
    {TR, "TR"},     {TR2, "TR2"}, {UCR, "UCR"}, {UCR2, "UCR2"}, {OP, "OP"},     {OPM, "OPM"}, {op, "op"},
};
