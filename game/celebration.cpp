// The coin shower: 16 spinning coins under the coin lighting and the fixed
// view, and the two yellow lines of text in the middle of the screen.
#include "game/chest_game.h"
#include "render/texture_font.h"

namespace {

constexpr D3DCOLOR Background = 0x000000FF;
constexpr D3DCOLOR TextColour = 0xFFFFFF00;

}  // namespace

void ChestGame::drawCelebration()
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Background, 1.0f, 0);
    if (FAILED(device->BeginScene())) return;

    // The coins carry no texture coordinates: they are drawn in their lit
    // colour, not with whatever texture the chest left bound.
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, coinVertices, 0, sizeof(CoinVertex));
    device->SetFVF(CoinFvf);
    for (int k = 0; k < CoinCount; ++k) {
        D3DXMATRIX world;
        coins.world(k, time, &world);
        device->SetTransform(D3DTS_WORLD, &world);
        device->DrawPrimitive(D3DPT_TRIANGLEFAN, CoinBackFanStart, CoinFanTriangles);
        device->DrawPrimitive(D3DPT_TRIANGLEFAN, CoinFrontFanStart, CoinFanTriangles);
        device->DrawPrimitive(D3DPT_TRIANGLESTRIP, CoinRimStart, CoinRimTriangles);
    }

    const float w = static_cast<float>(backBufferDesc.Width);
    const float h = static_cast<float>(backBufferDesc.Height);
    font->drawString(w * 0.5f - 50.0f, h * 0.5f, TextColour, "Congratulations!", 0);
    font->drawString(w * 0.5f - 120.0f, h * 0.5f + 18.0f, TextColour, "You've opened the treasure chest!", 0);

    device->EndScene();
}
