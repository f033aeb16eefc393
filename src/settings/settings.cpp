#include "settings.h"

colors::Color Settings::foregroundColor() const
{
    return colors::rgb(foreRed, foreGreen, foreBlue);
}

colors::Color Settings::backgroundColor() const
{
    return colors::rgb(backRed, backGreen, backBlue);
}

void Settings::setColors(colors::Color foreground, colors::Color background)
{
    const colors::Components fore = colors::split(foreground);
    const colors::Components back = colors::split(background);
    foreRed = fore.red;
    foreGreen = fore.green;
    foreBlue = fore.blue;
    backRed = back.red;
    backGreen = back.green;
    backBlue = back.blue;
}
