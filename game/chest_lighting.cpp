// The three sets of device state: the chest lighting of the scene, the coin
// lighting of the celebration, and the state both share, applied after them.
#include "game/chest_lighting.h"

#include "game/chest_game.h"
#include "render/render_helpers.h"

namespace {

constexpr float QuarterTurn = 3.14159265f / 4.0f;

D3DCOLORVALUE colour(float r, float g, float b, float a)
{
    return D3DCOLORVALUE{r, g, b, a};
}

}  // namespace

void setChestLighting(IDirect3DDevice9* device)
{
    // The meshes set their own materials per subset; this one is a fallback.
    D3DMATERIAL9 material;
    initMaterial(material, 1.0f, 0.0f, 0.0f, 1.0f);
    device->SetMaterial(&material);

    device->SetRenderState(D3DRS_DITHERENABLE, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0x00101010);

    D3DLIGHT9 light;
    initLight(light, D3DLIGHT_DIRECTIONAL, 0.0f, -1.0f, 0.3f);
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

void setCoinLighting(IDirect3DDevice9* device)
{
    D3DMATERIAL9 material = {};
    material.Diffuse = colour(0.0f, 0.0f, 0.0f, 0.0f);
    material.Ambient = colour(0.8f, 0.4f, 0.2f, 0.0f);
    material.Specular = colour(1.0f, 1.0f, 0.7f, 0.0f);
    material.Emissive = colour(0.0f, 0.0f, 0.0f, 0.0f);
    material.Power = 4.0f;
    device->SetMaterial(&material);

    device->SetRenderState(D3DRS_DITHERENABLE, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0x000F0F0F);

    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = colour(0.3f, 0.3f, 0.3f, 0.0f);
    light.Specular = colour(1.0f, 1.0f, 0.8f, 0.0f);
    light.Ambient = colour(0.3f, 0.3f, 0.3f, 0.0f);
    light.Position = D3DVECTOR{0.0f, 0.0f, 2.0f};
    light.Direction = D3DVECTOR{0.0f, -0.2f, 0.2f};
    light.Range = 1000.0f;
    light.Falloff = 10000.01f;
    light.Attenuation0 = 10000.0f;
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
}

void setCommonState(IDirect3DDevice9* device, UINT width, UINT height, D3DXMATRIX* projection)
{
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

    D3DXMATRIX identity;
    D3DXMatrixTranslation(&identity, 0.0f, 0.0f, 0.0f);
    device->SetTransform(D3DTS_WORLD, &identity);

    // The celebration's fixed view; during play the orbit camera replaces it
    // at the next frame update.
    const D3DXVECTOR3 eye(0.0f, 0.0f, -5.0f);
    const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX fixedView;
    D3DXMatrixLookAtLH(&fixedView, &eye, &at, &up);
    device->SetTransform(D3DTS_VIEW, &fixedView);

    const float aspect = height ? static_cast<float>(width) / static_cast<float>(height) : 1.0f;
    D3DXMatrixPerspectiveFovLH(projection, QuarterTurn, aspect, 1.0f, 100.0f);
    device->SetTransform(D3DTS_PROJECTION, projection);
}

void ChestGame::applyChestLighting()
{
    setChestLighting(device);
}

void ChestGame::applyCoinLighting()
{
    setCoinLighting(device);
}

void ChestGame::applyCommonState()
{
    setCommonState(device, backBufferDesc.Width, backBufferDesc.Height, &projection);
}
